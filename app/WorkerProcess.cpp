#include "WorkerProcess.h"
#include "AppLogging.h"
#include "CommonDriver.h"
#include "CrateSession.h"
#include "DriverHelper.h"
#include "EepromCommands.h"
#include "FreeStyleParameter.h"
#include "ReadingValidity.h"
#include "RecycleSession.h"
#include "StopRequest.h"
#include "SweepRunner.h"
#include "WorkerStatistics.h"
#include "cSweepParameters.h"

#include <QAbstractEventDispatcher>
#include <QMutexLocker>
#include <QThread>
#include <QTime>

#include <cmath>
#include <limits>

namespace {
const QString ErrorTitle = QStringLiteral("Error");
const QString SuccessTitle = QStringLiteral("Success");
constexpr double FineTemperatureBelowK = 10.0; ///< stage temperatures below this read to 1 mK, K
constexpr int DeviceStatusActive = 1;          ///< "status" after a good read
constexpr int DeviceStatusFault = 2;           ///< "status" after a failed read
} // namespace

WorkerProcess::WorkerProcess(QObject *parent)
    : QObject(parent), m_recycle(new RecycleSession(this)), m_session(new CrateSession(m_recycle, this)),
      m_sweep(new SweepRunner(
          *m_session, m_activeChannels, m_timeConstMs,
          [this](CommonDriver *driver) { updateRunData(driver); }, this))
{
    connect(m_session, &CrateSession::connected, this, &WorkerProcess::connected);
    connect(m_session, &CrateSession::connectFailed, this, &WorkerProcess::connectFailed);
    connect(m_session, &CrateSession::deviceListUpdated, this, &WorkerProcess::deviceListUpdated);
    connect(m_session, &CrateSession::setStatusText, this, &WorkerProcess::setStatusText);
    connect(m_session, &CrateSession::sendErrorMessage, this, &WorkerProcess::sendErrorMessage);
    connect(m_session, &CrateSession::connectionChanged, this, &WorkerProcess::connectionChanged);
    connect(m_sweep, &SweepRunner::setStatusText, this, &WorkerProcess::setStatusText);
    connect(m_sweep, &SweepRunner::sweepProgress, this, &WorkerProcess::sweepProgress);
    connect(m_sweep, &SweepRunner::sweepFinished, this, &WorkerProcess::sweepFinished);
    connect(m_sweep, &SweepRunner::updatePlot, this, &WorkerProcess::updatePlot);
}

WorkerProcess::~WorkerProcess() = default;

void WorkerProcess::setCommand(WorkerAsync::WorkerCommands cmd, const QVariant &params)
{
    QMutexLocker locker(&m_queueLock);
    m_commandQueue.append({cmd, params});
    m_queueSignal.wakeOne();
}

void WorkerProcess::requestStop()
{
    QMutexLocker locker(&m_queueLock);
    QThread *workerThread = thread();
    workerThread->requestInterruption();
    m_queueSignal.wakeAll();
    // Waits for a module answer or a text reply sleep in the thread's event loop.
    if (QAbstractEventDispatcher *dispatcher = workerThread->eventDispatcher())
        dispatcher->wakeUp();
}

void WorkerProcess::finish()
{
    {
        QMutexLocker barrier(&m_queueLock);
    }
    emit finished();
}

void WorkerProcess::start()
{
    qCDebug(lcWorker) << "start threaded process";
    m_modeTimer.start();
    WorkerStatistics statistics(qEnvironmentVariableIsSet("VT4_WORKER_PERF"));

    for (;;) {
        if (StopRequest::isPending()) {
            qCDebug(lcWorker) << "interrupted";
            m_recycle->setDrivers({}); // a running recycle ends with its relays rested
            finish();
            return;
        }
        statistics.beginProcessing();
        const bool goOn = executeCommands() && processMode();
        statistics.endProcessing();
        if (!goOn) {
            finish();
            return;
        }
        m_session->observeLink();
        m_recycle->service();
        waitForCommandOrPoll(m_recycle->isActive()
                                 ? std::min(nextWaitIntervalMs(), int(RecycleSession::ServiceWaitMs))
                                 : nextWaitIntervalMs());
        ++m_pass;
        statistics.endLoop(m_mode, m_timeConstMs);
    }
}

void WorkerProcess::waitForCommandOrPoll(int waitMs)
{
    QMutexLocker locker(&m_queueLock);
    // The stop request is made under this lock too, so it is either seen here or wakes the wait.
    if (m_commandQueue.isEmpty() && !StopRequest::isPending())
        m_queueSignal.wait(&m_queueLock, static_cast<unsigned long>(waitMs));
}

int WorkerProcess::nextWaitIntervalMs() const
{
    return waitIntervalMs(m_mode, m_timeConstMs, m_modeTimer.elapsed());
}

int WorkerProcess::waitIntervalMs(WorkerAsync::WorkerMode mode, int timeConstMs, qint64 elapsedMs)
{
    int periodMs;
    if (mode == WorkerAsync::WorkerModeAllChannels)
        periodMs = HomePollPeriodMs;
    else if (mode > WorkerAsync::WorkerModeAllChannels && mode < WorkerAsync::WorkerModeNoAction &&
             timeConstMs > 0)
        periodMs = timeConstMs;
    else
        return IdleWaitMs;
    const qint64 remaining = periodMs - elapsedMs;
    return remaining > 0 ? static_cast<int>(remaining) : 1;
}

bool WorkerProcess::takeCommand(QueuedCommand *command)
{
    QMutexLocker locker(&m_queueLock);
    if (m_commandQueue.isEmpty())
        return false;
    *command = m_commandQueue.takeFirst();
    return true;
}

bool WorkerProcess::executeCommands()
{
    QueuedCommand command;
    // The lock is released before each command runs, so the screens can queue more meanwhile.
    while (!StopRequest::isPending() && takeCommand(&command)) {
        qCDebug(lcWorker) << "execute command:" << command.first << "params:" << command.second;
        emit commandStarted(command.first, m_pass);
        if (!execute(command.first, command.second))
            break;
    }
    return true;
}

bool WorkerProcess::execute(WorkerAsync::WorkerCommands cmd, const QVariant &params)
{
    switch (cmd) {
    case WorkerAsync::CommandConnect:
        if (params.canConvert<QString>())
            m_session->commandConnect(params.toString());
        break;
    case WorkerAsync::CommandSetMode:
        if (params.canConvert<int>()) {
            m_mode = static_cast<WorkerAsync::WorkerMode>(params.toInt());
            if (m_sweep->prepare(m_mode))
                m_modeTimer.restart();
        }
        break;
    case WorkerAsync::CommandSetActiveChannels:
        setActiveChannels(params);
        break;
    case WorkerAsync::CommandSetTimeOut:
        if (params.canConvert<int>())
            m_timeConstMs = params.toInt();
        break;
    case WorkerAsync::CommandFreeStyle:
        applyFreeStyle(params);
        // A parameter change is followed by a mode pass before the rest of the queue runs.
        return false;
    case WorkerAsync::CommandSweepParams:
        if (params.canConvert<QVariantMap>())
            m_sweep->setParameters(params.toMap());
        break;
    case WorkerAsync::CommandResetUnits:
        changeCrate({QStringLiteral("SYST:URES")}, QStringLiteral("The crate's modules were reset."));
        break;
    case WorkerAsync::CommandSystemReset:
        changeCrate({QStringLiteral("SYST:SRES")}, QStringLiteral("The crate was reset."));
        break;
    case WorkerAsync::CommandPowerOff:
        if (m_session->vantrelRequest(QStringLiteral("SYST:POFF")))
            emit sendMessage(SuccessTitle, QStringLiteral("The crate powers off."));
        break;
    case WorkerAsync::CommandAddUnit:
        // "sicessfully" is the product's own spelling of this message, which users know: keep it.
        changeCrate(
            {QStringLiteral("SYST:DEVL:ADD %1").arg(params.toInt()), QStringLiteral("SYST:DEVL:SAVE")},
            QStringLiteral("Unit %1 sicessfully added").arg(params.toInt()));
        break;
    case WorkerAsync::CommandRemoveUnit:
        changeCrate(
            {QStringLiteral("SYST:DEVL:REMV %1").arg(params.toInt()), QStringLiteral("SYST:DEVL:SAVE")},
            QStringLiteral("Unit %1 successfully removed").arg(params.toInt()));
        break;
    case WorkerAsync::CommandUpdateUnit:
        // The crate's firmware expects this line to end in a doubled CRLF: the "\r\n" here and the
        // terminator every request gets.
        if (!m_session->vantrelRequest(QStringLiteral("SYST:LOCK 1")) ||
            !m_session->vantrelRequest(QStringLiteral("SYST:UPDT %1\r\n").arg(params.toInt())))
            emit unitUpdateRefused(params.toInt());
        break;
    case WorkerAsync::CommandRecycle:
        m_recycle->handleRequest(params);
        break;
    case WorkerAsync::CommandLock:
        emit lockAnswered(
            m_session->vantrelRequest(QStringLiteral("SYST:LOCK %1").arg(params.toInt() != 0 ? 1 : 0)));
        break;
    case WorkerAsync::CommandUpdateEepromConst:
        runEepromStep(EepromCommands::Step::Read, params);
        break;
    case WorkerAsync::CommandSetEepromConst:
        runEepromStep(EepromCommands::Step::Send, params);
        break;
    case WorkerAsync::CommandWriteEEPROM:
        runEepromStep(EepromCommands::Step::Write, params);
        break;
    default:
        break;
    }
    return true;
}

void WorkerProcess::runEepromStep(EepromCommands::Step step, const QVariant &params)
{
    const EepromCommands commands([this](int address) { return m_session->driverByAddress(address); });
    const EepromCommands::Outcome outcome = commands.run(step, params);
    if (!outcome.ok)
        emit sendErrorMessage(ErrorTitle, outcome.error);
    else if (step == EepromCommands::Step::Read)
        emit eepromDataReady(outcome.address, outcome.constants);
    else
        emit eepromUpdated();
}

void WorkerProcess::setActiveChannels(const QVariant &params)
{
    if (params.userType() != QMetaType::QVariantList) {
        if (params.canConvert<QList<int>>())
            m_activeChannels = params.value<QList<int>>();
        else
            qCWarning(lcWorker) << "active channel list refused, not a list:" << params;
        return;
    }
    // A list from the screens arrives as a variant list of numbers, each of which must be a
    // whole number to name a channel.
    QList<int> channels;
    for (const QVariant &element : params.toList()) {
        bool ok = false;
        const double number = element.toDouble(&ok);
        if (!ok || number != std::trunc(number) || qAbs(number) > std::numeric_limits<int>::max()) {
            qCWarning(lcWorker) << "active channel list refused, not a channel number:" << element;
            return;
        }
        channels << static_cast<int>(number);
    }
    m_activeChannels = channels;
}

void WorkerProcess::applyFreeStyle(const QVariant &params)
{
    const QVariantList list = params.toList();
    if (!params.canConvert<QVariantList>() || list.size() <= 2)
        return;
    bool addressOk = false;
    const int address = list.at(0).toInt(&addressOk);
    const QString name = list.at(1).toString();
    CommonDriver *driver = addressOk ? m_session->driverByAddress(address) : nullptr;
    if (!driver || !FreeStyleParameter::accepts(name, list.at(2)))
        return;
    DriverHelper(driver).setParameter(name, list.at(2), 1);
}

bool WorkerProcess::processMode()
{
    switch (m_mode) {
    case WorkerAsync::WorkerModeAllChannels:
        if (m_modeTimer.elapsed() >= HomePollPeriodMs) {
            pollAllModules();
            m_modeTimer.restart();
        }
        break;
    case WorkerAsync::WorkerModeCpsVersCurrent:
    case WorkerAsync::WorkerModeCpsVersTrigger:
    case WorkerAsync::WorkerModeIVCurves:
        if (m_timeConstMs >= 1 && m_modeTimer.elapsed() >= m_timeConstMs && takeSweepStep()) {
            emit updatePlot();
            m_modeTimer.restart();
        }
        break;
    case WorkerAsync::WorkerModeSspdSingleChannel:
    case WorkerAsync::WorkerModeTemperatureSingleMode:
    case WorkerAsync::WorkerModeCpsVersTime:
    case WorkerAsync::WorkerModeTemperatureVersTime:
    case WorkerAsync::WorkerModeHistogram:
        if (m_timeConstMs >= 1 && m_modeTimer.elapsed() >= m_timeConstMs) {
            pollActiveChannels();
            m_modeTimer.restart();
        }
        break;
    default:
        break;
    }
    return true;
}

bool WorkerProcess::takeSweepStep()
{
    const SweepRunner::Step step = m_sweep->sweepStep(m_mode);
    if (step == SweepRunner::Step::Finished)
        m_mode = WorkerAsync::WorkerModeNoAction;
    return step == SweepRunner::Step::Taken;
}

bool WorkerProcess::updateRunData(CommonDriver *driver)
{
    const bool read = updateData(driver, m_timeConstMs);
    const QVariantHash fault{{QStringLiteral("status"), int(DeviceStatusFault)}};
    emit runReading(driver->devAddress(), read ? m_lastData : fault,
                    cSweepParameters(m_sweep->parameters()).run());
    return read;
}

void WorkerProcess::pollAllModules()
{
    for (CommonDriver *driver : m_session->drivers()) {
        if (StopRequest::isPending())
            return;
        updateData(driver, 0);
    }
}

void WorkerProcess::pollActiveChannels()
{
    const bool timeBased = m_mode == WorkerAsync::WorkerModeCpsVersTime ||
                           m_mode == WorkerAsync::WorkerModeTemperatureVersTime ||
                           m_mode == WorkerAsync::WorkerModeHistogram;
    QString status;
    for (int address : std::as_const(m_activeChannels)) {
        CommonDriver *driver = m_session->driverByAddress(address);
        if (StopRequest::isPending())
            return;
        if (!driver)
            continue;
        const bool read = m_mode == WorkerAsync::WorkerModeHistogram
                              ? updateRunData(driver)
                              : updateData(driver, timeBased ? m_timeConstMs : 0);
        if (!read)
            return;
        if (m_mode == WorkerAsync::WorkerModeSspdSingleChannel) {
            // The single-channel screen follows the module's own counting period.
            m_timeConstMs =
                static_cast<int>(m_lastData.value(QStringLiteral("time_const")).toDouble() * 1000);
            if (m_timeConstMs < MinSingleChannelPeriodMs) {
                m_timeConstMs = MinSingleChannelPeriodMs;
                return;
            }
        } else if (m_mode == WorkerAsync::WorkerModeCpsVersTime) {
            status += QStringLiteral("SSPD %1: %2 cps\r\n").arg(address).arg(lastReadingText("cps", 1));
        } else if (m_mode == WorkerAsync::WorkerModeTemperatureVersTime) {
            status += QStringLiteral("Temperature %1: %2 K\r\n")
                          .arg(address)
                          .arg(lastReadingText("temperature", temperatureDecimals()));
        }
    }
    emit updatePlot();
    if (!status.isEmpty())
        emit setStatusText(
            status +
            QStringLiteral("Time: %1").arg(QTime::currentTime().toString(QStringLiteral("hh:mm:ss"))));
}

int WorkerProcess::temperatureDecimals() const
{
    // A cold stage is read to the millikelvin.
    return qAbs(m_lastData.value(QStringLiteral("temperature")).toDouble()) < FineTemperatureBelowK ? 3 : 2;
}

QString WorkerProcess::lastReadingText(const char *key, int decimals) const
{
    if (!m_lastData.value(QLatin1String(ReadingValidity::ValidKey), true).toBool())
        return QStringLiteral("---");
    return QString::number(m_lastData.value(QLatin1String(key)).toDouble(), 'f', decimals);
}

bool WorkerProcess::updateData(CommonDriver *driver, int timeConstMs)
{
    m_lastData.clear();
    DriverHelper helper(driver);
    const int address = driver->devAddress();
    const QVariantHash fault{{QStringLiteral("status"), int(DeviceStatusFault)}};
    QVariantMap values;
    const int type = helper.deviceType();
    // The bridge gives no readings for other modules: an empty map from them is no failure, so
    // they are not reported as faulty.
    if (type != DriverHelper::DeviceSspdM0 && type != DriverHelper::DeviceSspdM1 &&
        type != DriverHelper::DeviceTempM0 && type != DriverHelper::DeviceTempM1)
        return true;
    if (type == DriverHelper::DeviceSspdM0 || type == DriverHelper::DeviceSspdM1) {
        values = helper.getDeviceParams(1);
        if (values.isEmpty()) {
            emit dataReady(address, fault);
            return false;
        }
        const QVariant moduleTimeConst = values.value(QStringLiteral("time_const"));
        if (moduleTimeConst.isValid() && timeConstMs > 0 &&
            qRound(moduleTimeConst.toDouble() * 1000) != timeConstMs) {
            // The counter needs a whole new period at the new setting before its counts mean
            // anything; the constant read back then is the one the counts were taken with.
            helper.setParameter(QStringLiteral("time_const"), timeConstMs / 1000.0, 1);
            DriverHelper::delay(static_cast<int>(timeConstMs * TimeConstSettleFactor));
            values = helper.getDeviceParams(1);
            if (values.isEmpty()) {
                emit dataReady(address, fault);
                return false;
            }
        }
    }
    const QVariantMap data = helper.getDeviceData(1);
    if (data.isEmpty()) {
        emit dataReady(address, fault);
        return false;
    }
    for (auto it = data.cbegin(); it != data.cend(); ++it)
        values.insert(it.key(), it.value());
    values.insert(QStringLiteral("status"), int(DeviceStatusActive));
    ReadingValidity::mark(values, type);
    m_lastData = QVariantHash(values.cbegin(), values.cend());
    emit dataReady(address, m_lastData);
    return true;
}

void WorkerProcess::changeCrate(const QStringList &commands, const QString &successText)
{
    for (const QString &command : commands) {
        if (!m_session->vantrelRequest(command))
            return;
    }
    if (!m_session->reloadDeviceList()) {
        emit sendErrorMessage(ErrorTitle, QStringLiteral("Error at 'get device list' command"));
        return;
    }
    emit sendMessage(SuccessTitle, successText);
    // The rebuilt list starts without readings; one poll shows every module's state at once,
    // also while the device manager keeps the worker from polling.
    pollAllModules();
}
