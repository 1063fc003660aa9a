#include "WorkerAsync.h"
#include "AppLogging.h"
#include "WorkerProcess.h"

#include <QCoreApplication>
#include <QSettings>
#include <QUrl>

namespace {
WorkerAsync *s_instance = nullptr;

/// Doubles count as equal within one part in 10^12 of their size.
bool fuzzyEqual(double a, double b)
{
    return qAbs(a - b) <= 1e-12 * qMax(qAbs(a), qAbs(b));
}
} // namespace

WorkerAsync *WorkerAsync::instance()
{
    if (!s_instance)
        s_instance = new WorkerAsync();
    return s_instance;
}

void WorkerAsync::destroyInstance()
{
    delete s_instance;
    s_instance = nullptr;
}

WorkerAsync::WorkerAsync() : QObject(nullptr), m_worker(new WorkerProcess())
{
    qRegisterMetaType<WorkerAsync::WorkerCommands>();
    qRegisterMetaType<WorkerAsync::WorkerMode>();

    QSettings store(QString::fromLatin1(SettingsOrganization), QString::fromLatin1(SettingsApplication));
    setCurrentAddress(store.value(QLatin1String(AddressKey), QString::fromLatin1(DefaultAddress)).toString());

    m_workerThread.setObjectName(QStringLiteral("WorkerThread"));
    m_worker->moveToThread(&m_workerThread);
    m_workerThread.start(QThread::InheritPriority);
    connectWorker();

    emit startProcess();
}

void WorkerAsync::connectWorker()
{
    WorkerProcess *worker = m_worker;
    connect(this, &WorkerAsync::startProcess, worker, &WorkerProcess::start);
    connect(worker, &WorkerProcess::deviceListUpdated, this, &WorkerAsync::initDataList);
    connect(worker, &WorkerProcess::connected, this, &WorkerAsync::vantrelConnected);
    connect(worker, &WorkerProcess::finished, &m_workerThread, &QThread::quit);
    connect(worker, &WorkerProcess::finished, worker, &QObject::deleteLater);
    connect(worker, &WorkerProcess::setStatusText, this, &WorkerAsync::setStatusText);
    connect(worker, &WorkerProcess::sendErrorMessage, this, &WorkerAsync::sendErrorMessage);
    connect(worker, &WorkerProcess::sendMessage, this, &WorkerAsync::sendMessage);
    connect(worker, &WorkerProcess::sweepProgress, this, &WorkerAsync::setProgress);
    connect(worker, &WorkerProcess::sweepFinished, this, &WorkerAsync::sweepFinished);
    connect(worker, &WorkerProcess::eepromUpdated, this, &WorkerAsync::eepromDataUpdated);
}

WorkerAsync::~WorkerAsync()
{
    qCDebug(lcFacade) << "workerAsync close";
    m_workerThread.requestInterruption();
    if (m_worker)
        m_worker->wakeUp();
    m_workerThread.quit();
    m_workerThread.wait();
    // If the thread was stopped before its loop ever ran, the worker's deferred deletion was
    // never queued; the thread has ended, so deleting it here is safe.
    delete m_worker.data();
    qCDebug(lcFacade) << "workerAsync destroyed";
}

WorkerProcess *WorkerAsync::worker() const
{
    return m_worker;
}

void WorkerAsync::setGUIEnable(bool enable)
{
    if (m_GUIEnable == enable)
        return;
    m_GUIEnable = enable;
    emit GUIEnableChanged();
}

void WorkerAsync::setAvailableVantrels(const QStringList &list)
{
    if (m_availableVantrels == list)
        return;
    m_availableVantrels = list;
    emit AvailableVantrelsChanged();
}

void WorkerAsync::setCurrentAddress(const QString &address)
{
    if (m_currentAddress == address)
        return;
    m_currentAddress = address;
    emit CurrentAddressChanged();
}

void WorkerAsync::setStatusText(const QString &text)
{
    if (m_statusText == text)
        return;
    m_statusText = text;
    emit statusTextChanged();
}

void WorkerAsync::setProducerType(WorkerProducerType type)
{
    if (m_producerType == type)
        return;
    m_producerType = type;
    emit producerTypeChanged();
}

void WorkerAsync::setAnimationEnable(bool enable)
{
    if (m_animationEnable == enable)
        return;
    m_animationEnable = enable;
    emit animationEnableChanged();
}

void WorkerAsync::setProgress(double value)
{
    if (fuzzyEqual(m_progress, value))
        return;
    m_progress = value;
    emit progressChanged();
}

void WorkerAsync::connectToVantrel(const QString &address)
{
    qCDebug(lcFacade) << "WorkerAsync::connect" << address;
    setGUIEnable(false);
    setStatusText(QStringLiteral("Try to connect to %1").arg(address));
    QSettings store(QString::fromLatin1(SettingsOrganization), QString::fromLatin1(SettingsApplication));
    store.setValue(QLatin1String(AddressKey), address);
    setCurrentAddress(address);
    sendCommand(CommandConnect, address);
}

void WorkerAsync::disconnect()
{
    qCDebug(lcFacade) << "WorkerAsync::disconnect";
    emit disconnected();
}

void WorkerAsync::sendCommand(WorkerAsync::WorkerCommands cmd, const QVariant &params)
{
    m_worker->setCommand(cmd, params);
}

QString WorkerAsync::currentAppPath() const
{
    return QCoreApplication::applicationDirPath();
}

QString WorkerAsync::urlToPath(const QString &url) const
{
    return QUrl(url).toLocalFile();
}

void WorkerAsync::initDataList(const QJsonObject &initData)
{
    if (initData.isEmpty()) {
        setStatusText(QStringLiteral("Connection failure!"));
        setGUIEnable(true);
        return;
    }
    setStatusText(QStringLiteral("Connected!!!"));
    setGUIEnable(true);
}

void WorkerAsync::vantrelConnected()
{
    qCDebug(lcFacade) << "vantrelConnected";
    emit connected();
}
