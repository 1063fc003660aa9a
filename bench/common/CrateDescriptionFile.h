#pragma once

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

/// A simulator crate description of `sspdCount` SSPD M0 modules at consecutive bus addresses
/// from `firstAddress`, biased below their critical current and counting from power-on, written
/// into a temporary directory of its own and removed with the object.
class CrateDescriptionFile
{
public:
    explicit CrateDescriptionFile(int sspdCount, double criticalCurrentUa = DefaultCriticalCurrentUa,
                                  int firstAddress = 1)
    {
        QJsonArray modules;
        for (int address = firstAddress; address < firstAddress + sspdCount; ++address) {
            modules.append(QJsonObject{
                {"address", address},
                {"type", "VT4SDM0"},
                {"Description", QString("SSPD driver %1").arg(address)},
                {"Firmware", "1.4.2"},
                {"Hardware", "2.1"},
                {"Modification", "0"},
                {"UDID", QString("5654-5344-0001-2019-0A11-%1").arg(address, 4, 10, QChar('0'))},
                {"criticalCurrentUa", criticalCurrentUa},
                {"lightLevelCps", LightLevelCps},
                {"darkCountsCps", DarkCountsCps},
                {"startBiasUa", StartBiasFraction * criticalCurrentUa},
            });
        }
        QFile file(path());
        m_written = m_dir.isValid() && file.open(QIODevice::WriteOnly) &&
                    file.write(QJsonDocument(QJsonObject{{"modules", modules}}).toJson()) > 0;
    }

    bool isValid() const { return m_written; }
    QString path() const { return m_dir.filePath(QStringLiteral("crate.json")); }

private:
    static constexpr double DefaultCriticalCurrentUa = 24.0; ///< µA
    static constexpr double LightLevelCps = 200000;          ///< photon counts/s on the plateau
    static constexpr double DarkCountsCps = 30000;           ///< counts/s at the critical current
    static constexpr double StartBiasFraction = 0.8;         ///< of the critical current

    QTemporaryDir m_dir;
    bool m_written = false;
};
