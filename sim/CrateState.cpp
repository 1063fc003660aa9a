#include "CrateState.h"
#include "CrateDescription.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {
constexpr int FormatVersion = 1;
constexpr int MaxBusAddress = 255;
const QString VersionKey = QStringLiteral("version");
const QString ModulesKey = QStringLiteral("modules");
const QString EepromKey = QStringLiteral("eeprom");
const QString CorruptSuffix = QStringLiteral(".corrupt");
} // namespace

CrateState::CrateState(const QString &path) : m_path(path) {}

bool CrateState::load(QString *error)
{
    if (m_path.isEmpty() || !QFile::exists(m_path))
        return true;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read state file %1: %2").arg(m_path, file.errorString());
        return false;
    }
    if (parse(file.readAll(), error))
        return true;

    m_moduleList.reset();
    m_eeprom.clear();
    const QString keptAside = m_path + CorruptSuffix;
    QFile::remove(keptAside);
    const bool kept = QFile::copy(m_path, keptAside);
    *error = QStringLiteral("state file %1 is corrupt (%2); starting from defaults%3")
                 .arg(m_path, *error,
                      kept ? QStringLiteral(", the old file is kept as %1").arg(keptAside) : QString());
    return false;
}

bool CrateState::parse(const QByteArray &bytes, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (!document.isObject()) {
        *error = parseError.error == QJsonParseError::NoError ? QStringLiteral("not a JSON object")
                                                              : parseError.errorString();
        return false;
    }
    const QJsonObject root = document.object();
    if (root.value(VersionKey).toInt() != FormatVersion) {
        *error = QStringLiteral("unknown format version");
        return false;
    }
    if (root.contains(ModulesKey)) {
        if (!root.value(ModulesKey).isArray()) {
            *error = QStringLiteral("\"modules\" is not an array");
            return false;
        }
        QList<int> addresses;
        for (const QJsonValue &value : root.value(ModulesKey).toArray()) {
            const int address = value.toInt(-1);
            if (!value.isDouble() || address < 0 || address > MaxBusAddress) {
                *error = QStringLiteral("bad module address in \"modules\"");
                return false;
            }
            addresses << address;
        }
        m_moduleList = addresses;
    }
    const QJsonObject eeprom = root.value(EepromKey).toObject();
    for (auto it = eeprom.begin(); it != eeprom.end(); ++it) {
        const QByteArray udid = CrateDescription::udidFromText(it.key());
        const QByteArray image = QByteArray::fromHex(it.value().toString().toLatin1());
        if (udid.isEmpty() || image.isEmpty()) {
            *error = QStringLiteral("bad calibration entry \"%1\"").arg(it.key());
            return false;
        }
        m_eeprom.insert(udid, image);
    }
    return true;
}

bool CrateState::saveModuleList(const QList<int> &addresses, QString *error)
{
    m_moduleList = addresses;
    return write(error);
}

bool CrateState::saveEeprom(const QByteArray &udid, const QByteArray &image, QString *error)
{
    m_eeprom.insert(udid, image);
    return write(error);
}

bool CrateState::write(QString *error) const
{
    if (m_path.isEmpty())
        return true;
    QJsonObject root{{VersionKey, FormatVersion}};
    if (m_moduleList) {
        QJsonArray addresses;
        for (int address : *m_moduleList)
            addresses.append(address);
        root.insert(ModulesKey, addresses);
    }
    QJsonObject eeprom;
    for (auto it = m_eeprom.begin(); it != m_eeprom.end(); ++it)
        eeprom.insert(CrateDescription::udidToText(it.key()), QString::fromLatin1(it.value().toHex()));
    root.insert(EepromKey, eeprom);

    // QSaveFile writes a temporary file beside the target and renames it over the target on
    // commit, so a crash mid-write leaves the previous state intact.
    // commit() alone would replace the target after a write that failed at flush (a full disk).
    QSaveFile file(m_path);
    const QByteArray bytes = QJsonDocument(root).toJson();
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() &&
        file.error() == QFileDevice::NoError && file.commit())
        return true;
    *error = QStringLiteral("cannot write state file %1: %2").arg(m_path, file.errorString());
    file.cancelWriting();
    return false;
}
