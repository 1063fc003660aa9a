#pragma once

#include "CommonDriver.h"
#include "SimulatorProcess.h"
#include "vtTcpSocketIOInterface.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

/// The simulator playing a crate of the given modules (JSON objects with "address" and "type"
/// at least), with a link to it that drivers can be put on.
class SimulatorCrate
{
public:
    static constexpr int DriverTimeOutMs = 200; ///< answer time-out of drivers on this crate

    bool start(const QJsonArray &modules, const QStringList &arguments = {})
    {
        const QString path = m_dir.filePath(QStringLiteral("crate.json"));
        QFile file(path);
        if (!m_dir.isValid() || !file.open(QIODevice::WriteOnly))
            return false;
        file.write(QJsonDocument(QJsonObject{{QStringLiteral("modules"), modules}}).toJson());
        file.close();
        m_simulator =
            std::make_unique<SimulatorProcess>(QStringList{QStringLiteral("--crate"), path} + arguments);
        if (!m_simulator->start())
            return false;
        link.setAddress(m_simulator->address());
        link.setPort(m_simulator->port());
        return link.initialize();
    }

    void attach(CommonDriver *driver, quint8 address)
    {
        driver->setDevAddress(address);
        driver->setIOInterface(&link);
        driver->setTimeOut(DriverTimeOutMs);
    }

    SimulatorProcess &simulator() { return *m_simulator; }

    static QJsonObject module(int address, const QString &type)
    {
        return QJsonObject{{QStringLiteral("address"), address}, {QStringLiteral("type"), type}};
    }

    vtTcpSocketIOInterface link;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<SimulatorProcess> m_simulator;
};
