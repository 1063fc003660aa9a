#include "CrateSession.h"
#include "AppLogging.h"
#include "CommonDriver.h"
#include "DriverFactory.h"
#include "ModuleListFilter.h"
#include "RecycleSession.h"
#include "StopRequest.h"
#include "convertToHostAddress.h"
#include "vtTcpSocketIOInterface.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

namespace {
const QString ErrorTitle = QStringLiteral("Error");
const QString ModuleListQuery = QStringLiteral("SYST:DEVJ?\r\n");
const QString LegacyModuleListQuery = QStringLiteral("SYST:DEVL?\r\n");
const QString LegacyLineSeparator = QStringLiteral("<br>");
const QChar LegacyFieldSeparator = QLatin1Char(':');
constexpr int LegacyFieldCount = 3;
constexpr int FirstReadAttempts = 100;      ///< the first read of a new driver's type string
constexpr int MaxSkippedEntriesShown = 8;   ///< skipped list entries named in the status text
constexpr int MaxSkippedEntriesLogged = 64; ///< and in the log line
const QString CrateLineEnd = QStringLiteral("\r\n");

/// The crate port; "VT4_CRATE_PORT" moves it so that tests and demos can run a simulator elsewhere.
quint16 cratePort()
{
    bool ok = false;
    const uint port = qEnvironmentVariableIntValue("VT4_CRATE_PORT", &ok);
    return ok && port > 0 && port <= 0xFFFF ? static_cast<quint16>(port)
                                            : vtTcpSocketIOInterface::DefaultPort;
}

/// Why a crate could not be reached at all, in one line.
QString connectFailureText(const vtTcpSocketIOInterface &link, const QString &peer)
{
    switch (link.socketError()) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("%1 refused the connection: no crate listens there.").arg(peer);
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("No answer from %1 within %2 s.")
            .arg(peer)
            .arg(vtTcpSocketIOInterface::ConnectTimeoutMs / 1000.0);
    default:
        return QStringLiteral("%1: %2.").arg(peer, link.socketErrorString());
    }
}
} // namespace

CrateSession::CrateSession(RecycleSession *recycle, QObject *parent) : QObject(parent), m_recycle(recycle) {}

void CrateSession::observeLink()
{
    if (m_link)
        reportConnection(
            m_connection.socketObserved(m_link->isConnected(), QDateTime::currentMSecsSinceEpoch()));
}

bool CrateSession::vantrelRequest(const QString &command)
{
    if (!m_link)
        return false;
    bool ok = false;
    const QString reply = m_link->tcpIpQuery(command + CrateLineEnd, CommandTimeoutMs, &ok);
    if (ok && !reply.isEmpty() && reply.contains(QLatin1String("ok"), Qt::CaseInsensitive))
        return true;
    emit sendErrorMessage(ErrorTitle, QStringLiteral("Error at '%1' command").arg(command));
    return false;
}

void CrateSession::commandConnect(const QString &address)
{
    m_recycle->setDrivers({}); // while the old link can still rest the relays
    delete m_link;
    m_link = nullptr;

    reportConnection(m_connection.reset());
    auto *link = new vtTcpSocketIOInterface(this);
    link->setAddress(convertToHostAddress(address));
    link->setPort(cratePort());
    connect(link, &vtTcpSocketIOInterface::connectionAttempted, this, [this](bool connected) {
        reportConnection(m_connection.connectAttempted(connected, QDateTime::currentMSecsSinceEpoch()));
    });
    QString whyNot;
    if (updateDeviceList(link, &whyNot)) {
        m_link = link;
        emit connected();
        return;
    }
    delete link;
    reportConnection(m_connection.reset());
    emit connectFailed(whyNot);
    // The connection form was disabled when the attempt started; an empty list re-enables it.
    emit deviceListUpdated(QJsonObject());
}

CommonDriver *CrateSession::driverByAddress(int address) const
{
    for (CommonDriver *driver : m_drivers) {
        if (driver->devAddress() == address)
            return driver;
    }
    return nullptr;
}

bool CrateSession::updateDeviceList(vtTcpSocketIOInterface *link, QString *whyNot)
{
    if (!link)
        return false;
    bool reached = false;
    QString reply = link->tcpIpQuery(ModuleListQuery, CommandTimeoutMs, &reached);
    // A crate of the older kind does not know the JSON list; its text list is all it has.
    const bool legacy = reply.contains(QLatin1String("UNKNOWN COMMAND"));
    if (legacy)
        reply = link->tcpIpQuery(LegacyModuleListQuery, CommandTimeoutMs, &reached);
    if (StopRequest::isPending())
        return false;
    const QString peer = QStringLiteral("%1:%2").arg(link->address().toString()).arg(link->port());
    if (reply.isEmpty()) {
        if (whyNot)
            *whyNot = reached ? QStringLiteral("No answer from %1 within %2 s.")
                                    .arg(peer)
                                    .arg(CommandTimeoutMs / 1000.0)
                              : connectFailureText(*link, peer);
        return false;
    }
    // Something answered, but a crate's list is a JSON object: keep the drivers of the crate
    // we had rather than replace them with nothing.
    if (!legacy && !QJsonDocument::fromJson(reply.toUtf8()).isObject()) {
        if (whyNot)
            *whyNot = QStringLiteral("%1 answered, but not as a crate.").arg(peer);
        return false;
    }
    clearDrivers();
    const ModuleListFilter::Result modules = ModuleListFilter::filter(
        legacy ? legacyEntries(reply) : QJsonDocument::fromJson(reply.toLocal8Bit()).object());
    const QJsonObject list =
        legacy ? driversFromLegacyList(modules.list, link) : driversFromList(modules.list, link);
    emit deviceListUpdated(list);
    reportSkippedEntries(modules.skipped);
    m_recycle->setDrivers(m_drivers);
    return true;
}

void CrateSession::reportSkippedEntries(const QStringList &skipped)
{
    if (skipped.isEmpty())
        return;
    const auto firstOf = [&skipped](int shown) {
        QString text = skipped.mid(0, shown).join(QLatin1String(", "));
        if (skipped.size() > shown)
            text += QStringLiteral(" and %1 more").arg(skipped.size() - shown);
        return text;
    };
    qCWarning(lcWorker).noquote() << "module list entries skipped:" << firstOf(MaxSkippedEntriesLogged);
    emit setStatusText(
        QStringLiteral("Module list entries skipped: %1").arg(firstOf(MaxSkippedEntriesShown)));
}

void CrateSession::reportConnection(bool changed)
{
    if (changed)
        emit connectionChanged(m_connection.state(), m_connection.sinceMs(), m_connection.tries());
}

void CrateSession::clearDrivers()
{
    m_recycle->setDrivers({});
    qDeleteAll(m_drivers);
    m_drivers.clear();
}

CommonDriver *CrateSession::addDriver(const QString &type, int address, vtTcpSocketIOInterface *link)
{
    CommonDriver *driver = DriverFactory::create(type, this);
    if (!driver)
        return nullptr;
    driver->setDevAddress(static_cast<quint8>(address));
    driver->setIOInterface(link);
    m_drivers.append(driver);
    // The first read of a new driver also wakes a module that has just been plugged in. Its
    // attempts are shown one by one, since a silent module holds the connect for a long time.
    for (int attempt = 1; attempt <= FirstReadAttempts && !StopRequest::isPending(); ++attempt) {
        emit setStatusText(QStringLiteral("Try to connect to module %1, attempt %2 of %3")
                               .arg(address)
                               .arg(attempt)
                               .arg(FirstReadAttempts));
        bool answered = false;
        driver->deviceType()->getValueSync(&answered, 1);
        if (answered)
            break;
    }
    return driver;
}

QJsonObject CrateSession::driversFromList(const QJsonObject &list, vtTcpSocketIOInterface *link)
{
    const QJsonArray info = list.value(QLatin1String("info")).toArray();
    for (const QJsonValue &entry : info) {
        if (StopRequest::isPending())
            break;
        addDriver(entry[QLatin1String("type")].toString(), entry[QLatin1String("address")].toInt(), link);
    }
    return list;
}

QJsonObject CrateSession::legacyEntries(const QString &reply)
{
    QJsonArray info;
    for (const QString &line : reply.split(LegacyLineSeparator)) {
        const QStringList fields = line.split(LegacyFieldSeparator);
        if (fields.size() != LegacyFieldCount || !fields.at(1).contains(QLatin1Char('=')) ||
            !fields.at(2).contains(QLatin1Char('=')))
            continue;
        const QString addressText = fields.at(1).section(QLatin1Char('='), 1).trimmed();
        bool isNumber = false;
        const int address = addressText.toInt(&isNumber);
        info.append(
            QJsonObject{{QLatin1String("address"), isNumber ? QJsonValue(address) : QJsonValue(addressText)},
                        {QLatin1String("type"), fields.at(2).section(QLatin1Char('='), 1).trimmed()}});
    }
    return QJsonObject{{QLatin1String("count"), info.size()}, {QLatin1String("info"), info}};
}

QJsonObject CrateSession::driversFromLegacyList(const QJsonObject &list, vtTcpSocketIOInterface *link)
{
    QJsonArray info;
    for (const QJsonValue &line : list.value(QLatin1String("info")).toArray()) {
        if (StopRequest::isPending())
            break;
        const int address = line[QLatin1String("address")].toInt();
        const QString type = line[QLatin1String("type")].toString();
        CommonDriver *driver = addDriver(type, address, link);
        if (!driver)
            continue;
        driver->getDeviceInfo();
        QJsonObject entry{{QLatin1String("address"), address}, {QLatin1String("type"), type}};
        const auto bounded = [](const QString &text) { return ModuleListFilter::boundedText(text); };
        entry.insert(QLatin1String("Description"), bounded(driver->deviceDescription()->currentValue()));
        entry.insert(QLatin1String("Firmware"), bounded(driver->firmwareVersion()->currentValue()));
        entry.insert(QLatin1String("Hardware"), bounded(driver->hardwareVersion()->currentValue()));
        entry.insert(QLatin1String("Modification"), bounded(driver->modificationVersion()->currentValue()));
        entry.insert(QLatin1String("UDID"), driver->UDID()->currentValue().toDisplayString());
        info.append(entry);
    }
    return QJsonObject{{QLatin1String("count"), info.size()},
                       {QLatin1String("info"), info},
                       {QLatin1String("software_version"), QLatin1String("<1.3.0")}};
}
