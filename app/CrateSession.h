#pragma once

#include "ConnectionMonitor.h"

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QStringList>

class CommonDriver;
class RecycleSession;
class vtTcpSocketIOInterface;

/// The worker's connection to one crate and the drivers of the modules it lists. Lives on the
/// worker thread as a child of the worker, so that the link and the drivers it makes do too.
class CrateSession : public QObject
{
    Q_OBJECT
public:
    static constexpr int CommandTimeoutMs = 500; ///< reply window of every crate text command

    /// `recycle` is told of every new driver list; it must outlive the session.
    CrateSession(RecycleSession *recycle, QObject *parent);

    /// Drops the current link and its drivers, then connects to `address` and reads its modules.
    void commandConnect(const QString &address);
    /// Sends one text command that needs "ok"; any other outcome is reported as an error.
    bool vantrelRequest(const QString &command);
    /// Reads the module list of the current link again and remakes the drivers.
    bool reloadDeviceList() { return updateDeviceList(m_link); }
    /// Passes a change of the link's state, as the loop sees it once a pass, to the screens.
    void observeLink();

    /// The link of the current connection, or none before the first successful connection.
    vtTcpSocketIOInterface *link() const { return m_link; }
    /// The first driver at that bus address, or none.
    CommonDriver *driverByAddress(int address) const;
    QList<CommonDriver *> drivers() const { return m_drivers; }

signals:
    void connected();
    void connectFailed(const QString &reason);
    void deviceListUpdated(const QJsonObject &list);
    void setStatusText(const QString &text);
    void sendErrorMessage(const QString &title, const QString &error);
    void connectionChanged(int state, qint64 sinceMs, int tries);

private:
    /// Asks the crate for its modules and makes their drivers; on failure `whyNot` (may be
    /// null) says what went wrong, in words for the connection form.
    bool updateDeviceList(vtTcpSocketIOInterface *link, QString *whyNot = nullptr);
    void clearDrivers();
    void reportConnection(bool changed);
    /// Makes and binds the driver for one module; none for a type this program does not drive.
    CommonDriver *addDriver(const QString &type, int address, vtTcpSocketIOInterface *link);
    /// Makes the drivers of a filtered list; the list itself is what the screens get.
    QJsonObject driversFromList(const QJsonObject &list, vtTcpSocketIOInterface *link);
    /// The "<br>" lines of an older crate as list entries, before filtering; an address that is
    /// not a number stays text, so that the filter names it.
    static QJsonObject legacyEntries(const QString &reply);
    /// Makes the drivers of a filtered older list and reads each module's information.
    QJsonObject driversFromLegacyList(const QJsonObject &list, vtTcpSocketIOInterface *link);
    void reportSkippedEntries(const QStringList &skipped);

    RecycleSession *m_recycle;
    QList<CommonDriver *> m_drivers; ///< children of the session, one per driven module
    vtTcpSocketIOInterface *m_link = nullptr;
    ConnectionMonitor m_connection;
};
