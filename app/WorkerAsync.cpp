#include "WorkerAsync.h"
#include "AppLogging.h"
#include "AtomicFileWriter.h"
#include "CalibrationPair.h"
#include "ChartRangeFitter.h"
#include "ConnectionMonitor.h"
#include "CountRateFloor.h"
#include "DataProviderList.h"
#include "DriverDataModel.h"
#include "EepromDataModel.h"
#include "EepromDataStorage.h"
#include "FuzzyCompare.h"
#include "LatchReset.h"
#include "LatchedPoints.h"
#include "ModuleListBuilder.h"
#include "MyChartRect.h"
#include "PresetFile.h"
#include "ReadingValidity.h"
#include "ReconnectSettingsCheck.h"
#include "RecycleController.h"
#include "RecycleSession.h"
#include "SeriesExporter.h"
#include "Settings.h"
#include "SweepParameterLists.h"
#include "SweepReturnOffer.h"
#include "TraceHeader.h"
#include "TraceLogger.h"
#include "VantrelListProvider.h"
#include "WorkerProcess.h"
#include "cSweepParameters.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSettings>
#include <QUrl>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QLineSeries>
#include <QtCharts/QXYSeries>
#include <utility>

namespace {
WorkerAsync *s_instance = nullptr;
const QString MicroAmpere =
    QStringLiteral("\u03BC\u0410"); // mu and the Cyrillic capital A, as the crate's tools write it
constexpr double MicroPerUnit = 1e6;
constexpr double MilliPerUnit = 1e3;
constexpr int SingleChannelPollMs = 500;
const QString ErrorTitle = QStringLiteral("ERROR!"); ///< title of the file operations' messages
const QString ConnectedText = QStringLiteral("Connected!!!");
const QString NotAnsweringText = QStringLiteral("The crate does not answer");

bool latchedReading(const QVariantHash &data)
{
    return data.value(QLatin1String(ReadingValidity::LatchedKey)).toBool();
}
constexpr double BarInset = 0.05; ///< gap on each side of a histogram bar, in bin widths
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

WorkerAsync::WorkerAsync()
    : WorkerTypes(nullptr), m_dataList(new DataProviderList(this)), m_worker(new WorkerProcess()),
      m_settings(new Settings(this)), m_eepromStorage(new EepromDataStorage(this)),
      m_traceLog(new TraceLogger(this)),
      m_latchReset(new LatchReset(
          [this](int address, double amperes) {
              sendCommand(CommandFreeStyle, QVariantList{address, QStringLiteral("current"), amperes});
          },
          this)),
      m_recycle(new RecycleController(
          [this](const QVariantList &request) { sendCommand(CommandRecycle, request); }, this)),
      m_sweepReturn(new SweepReturnOffer(
          [this](int address, double bias, double level) {
              // Through zero bias, so that a detector the sweep left latched recovers.
              m_latchReset->rememberSetPoint(address, bias);
              m_latchReset->reset(address, bias);
              setParameter(address, QStringLiteral("cmp_ref_level"), level);
          },
          this))
{
    qRegisterMetaType<WorkerAsync::WorkerCommands>();
    qRegisterMetaType<WorkerAsync::WorkerMode>();
    qRegisterMetaType<CalibrationPair>("CalibrationPair");

    QSettings store(QString::fromLatin1(SettingsOrganization), QString::fromLatin1(SettingsApplication));
    setCurrentAddress(store.value(QLatin1String(AddressKey), QString::fromLatin1(DefaultAddress)).toString());

    m_sweepParameterLists = SweepParameterLists::build();

    m_workerThread.setObjectName(QStringLiteral("WorkerThread"));
    m_worker->moveToThread(&m_workerThread);
    m_workerThread.start(QThread::InheritPriority);
    connectWorker();
    EepromDataModel::instance()->setStorage(m_eepromStorage);
    m_reconnectCheck = new ReconnectSettingsCheck(this);
    m_latchedPoints = new LatchedPoints(this);
    connect(m_reconnectCheck, &ReconnectSettingsCheck::settingsChanged, this,
            [this](const QString &text) { emit sendMessage(QStringLiteral("Settings lost"), text); });

    emit startProcess();
}

void WorkerAsync::connectWorker()
{
    WorkerProcess *worker = m_worker;
    connect(this, &WorkerAsync::startProcess, worker, &WorkerProcess::start);
    connect(worker, &WorkerProcess::deviceListUpdated, this, &WorkerAsync::initDataList);
    connect(worker, &WorkerProcess::connected, this, &WorkerAsync::vantrelConnected);
    connect(worker, &WorkerProcess::connectFailed, this, &WorkerAsync::connectFailed);
    connect(worker, &WorkerProcess::finished, &m_workerThread, &QThread::quit);
    connect(worker, &WorkerProcess::finished, worker, &QObject::deleteLater);
    connect(worker, &WorkerProcess::setStatusText, this, &WorkerAsync::setStatusText);
    connect(worker, &WorkerProcess::sendErrorMessage, this, &WorkerAsync::sendErrorMessage);
    connect(worker, &WorkerProcess::sendMessage, this, &WorkerAsync::sendMessage);
    connect(worker, &WorkerProcess::sweepProgress, this, &WorkerAsync::setProgress);
    connect(worker, &WorkerProcess::sweepFinished, this, [this] {
        m_sweepRunning = false;
        m_sweepReturn->offer();
        emit sweepFinished();
    });
    connect(worker, &WorkerProcess::eepromDataReady, this, &WorkerAsync::eepromDataReady);
    connect(worker, &WorkerProcess::eepromUpdated, this, &WorkerAsync::eepromDataUpdated);
    connect(worker, &WorkerProcess::dataReady, this, &WorkerAsync::updateData);
    connect(worker, &WorkerProcess::runReading, this, &WorkerAsync::updateRunData);
    connect(worker, &WorkerProcess::updatePlot, this, &WorkerAsync::updatePlot);
    connect(m_traceLog, &TraceLogger::failed, this,
            [this](const QString &error) { emit sendErrorMessage(ErrorTitle, error); });
    connect(worker, &WorkerProcess::connectionChanged, this, &WorkerAsync::setConnection);
    connect(worker->recycleSession(), &RecycleSession::statusChanged, m_recycle,
            &RecycleController::applyStatus);
    connect(m_settings, &Settings::timeConstantChanged, this, [this] {
        sendCommand(CommandSetTimeOut, m_settings->timeConstant() * MilliPerUnit);
        m_traceLog->note(
            TraceHeader::changeText(QDateTime::currentDateTimeUtc(), QStringLiteral("time constant"),
                                    QString::number(m_settings->timeConstant()) + QStringLiteral(" s")));
    });
    connect(m_settings, &Settings::logYChanged, this, &WorkerAsync::refitVerticalRange);
}

WorkerAsync::~WorkerAsync()
{
    qCDebug(lcFacade) << "workerAsync close";
    // The worker is still there: only this stop request lets its loop end and delete it.
    m_worker->requestStop();
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

void WorkerAsync::setDataList(DataProviderList *list)
{
    if (!list || m_dataList == list)
        return;
    m_dataList = list;
    emit dataListChanged();
}

void WorkerAsync::setSettings(Settings *settings)
{
    if (!settings || m_settings == settings)
        return;
    m_settings = settings;
    emit settingsChanged();
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
    if (vtFuzzyEqual(m_progress, value))
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

void WorkerAsync::updateAvailableVantrelList()
{
    qCDebug(lcFacade) << "WorkerAsync::updateAvailableVantrelList";
    // The form waits (and shows it is busy) until the scanner reports.
    setGUIEnable(false);
    setStatusText(QStringLiteral("Update available TCP/IP Devices..."));
    setAvailableVantrels({});
    auto *scanner = new VantrelListProvider(this);
    connect(scanner, &VantrelListProvider::ready, this, [this, scanner] {
        setAvailableVantrels(scanner->availableVantrelList());
        setStatusText(QStringLiteral("%1 device(s) founded.").arg(scanner->availableVantrelList().size()));
        setGUIEnable(true);
    });
    // A scan that cannot start (call-back port taken) must not leave the form disabled.
    connect(scanner, &VantrelListProvider::error, this, [this] {
        setStatusText(QStringLiteral("Network scan failed: the call-back port is in use."));
        setGUIEnable(true);
    });
    scanner->updateVantrelList();
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
    // Qt 6.4's own file dialog gives a typed name as a bare path, without "file:", and joins a
    // typed absolute path to its folder ("/folder//typed/path"): what was typed is meant. A path
    // made by the dialog has no empty part otherwise.
    const QUrl selection(url);
    const QString path =
        selection.scheme().isEmpty() ? QUrl::fromPercentEncoding(url.toUtf8()) : selection.toLocalFile();
    const qsizetype typed = path.lastIndexOf(QLatin1String("//"));
    return typed < 0 ? path : path.mid(typed + 1);
}

void WorkerAsync::connectFailed(const QString &reason)
{
    m_connectFailure = reason;
}

void WorkerAsync::initDataList(const QJsonObject &initData)
{
    if (initData.isEmpty()) {
        // The reason comes just before the empty list; a second line tells the user why.
        const QString reason = std::exchange(m_connectFailure, QString());
        setStatusText(QStringLiteral("Connection failure!") +
                      (reason.isEmpty() ? QString() : QLatin1Char('\n') + reason));
        setGUIEnable(true);
        return;
    }
    setStatusText(ConnectedText);
    ModuleListBuilder::initDataList(*m_dataList, initData);
    setGUIEnable(true);
    emit m_dataList->updated();
}

MyChartRect *WorkerAsync::chartRect(WorkerMode mode)
{
    MyChartRect *&rect = m_chartRects[mode];
    if (!rect)
        rect = new MyChartRect(this);
    return rect;
}

QString WorkerAsync::countRateText(double cps)
{
    return QString::asprintf("%6.4g", cps)
        .replace(QLatin1String("e+0"), QLatin1String("e"))
        .remove(QLatin1Char(' '));
}

void WorkerAsync::initializeGUI(WorkerMode mode)
{
    m_settings->setChartRect(chartRect(mode));
    auto sweepList = m_sweepParameterLists.find(mode);
    if (sweepList != m_sweepParameterLists.end())
        m_settings->initializeSweepParameterModel(&sweepList.value());
}

void WorkerAsync::activateMode(WorkerMode mode)
{
    qCDebug(lcFacade) << "Mode:" << mode << "activated";
    if (mode != WorkerModeNoAction) {
        m_runStart = QDateTime::currentDateTimeUtc();
        m_modulesAtRunStart = m_dataList->items();
    }
    // The worker leaves the module as the last step set it; say so.
    if (m_sweepRunning && mode != m_currentMode) {
        setStatusText(QStringLiteral("Sweep stopped at %1 %; the channel keeps the last value set.")
                          .arg(m_progress, 0, 'f', 0));
        m_sweepReturn->offer();
    }
    m_currentMode = mode;
    // A log that goes on over several runs notes each run's channels and their settings.
    if (m_traceLog->active() && mode != WorkerModeNoAction && mode != WorkerModeAllChannels)
        m_traceLog->note(describedRun(traceNames(), QString(), QString()).runText());
    switch (mode) {
    case WorkerModeCpsVersTime:
    case WorkerModeTemperatureVersTime:
        sendCommand(CommandSetActiveChannels,
                    QVariant::fromValue(addressesOfSeries(mode == WorkerModeCpsVersTime
                                                              ? QStringLiteral("SSPD ")
                                                              : QStringLiteral("Temperature"))));
        sendCommand(CommandSetTimeOut, qRound(m_settings->timeConstant() * MilliPerUnit));
        setStatusText(QStringLiteral("Start reading"));
        break;
    case WorkerModeSspdSingleChannel:
    case WorkerModeTemperatureSingleMode:
        sendCommand(CommandSetActiveChannels, QVariant::fromValue(QList<int>{m_settings->activeChannel()}));
        sendCommand(CommandSetTimeOut, SingleChannelPollMs);
        break;
    case WorkerModeHistogram:
        queueSweepSetup();
        break;
    case WorkerModeCpsVersCurrent:
    case WorkerModeCpsVersTrigger:
    case WorkerModeIVCurves:
        setProgress(0);
        setStatusText(QStringLiteral("Start Sweep process..."));
        rememberBeforeSweep(mode);
        queueSweepSetup();
        break;
    default:
        break;
    }
    m_sweepRunning = isSweep(mode);
    sendCommand(CommandSetMode, int(mode));
}

void WorkerAsync::queueSweepSetup()
{
    m_sweepValues.clear();
    if (const QList<ParameterItem> *items = m_settings->SweepParameterModel()->Items()) {
        for (const ParameterItem &item : *items)
            m_sweepValues.insert(item.name(), item.value());
    }
    m_sweepValues.insert(QLatin1String(cSweepParameters::RunKey),
                         m_sweepRun.begin(m_settings->activeChannel()));
    sendCommand(CommandSetActiveChannels, QVariant::fromValue(QList<int>{m_settings->activeChannel()}));
    sendCommand(CommandSweepParams, m_sweepValues);
}

QList<int> WorkerAsync::addressesOfSeries(const QString &prefix) const
{
    QList<int> addresses;
    for (QAbstractSeries *series : m_settings->series()) {
        if (series->name().contains(prefix))
            addresses << series->name().remove(prefix).trimmed().toInt();
    }
    return addresses;
}

void WorkerAsync::deactivateMode(WorkerMode mode)
{
    qCDebug(lcFacade) << "Mode:" << mode << "deactivated";
}

void WorkerAsync::setParameter(int address, const QString &parameter, const QVariant &value)
{
    qCDebug(lcFacade) << "address" << address << ": Parameter" << parameter << ": Value" << value;
    if (parameter == QLatin1String("current"))
        m_latchReset->rememberSetPoint(address, value.toDouble());
    sendCommand(CommandFreeStyle, QVariantList{address, parameter, value});
}

void WorkerAsync::writeUserFile(const QString &fileName, const QByteArray &contents)
{
    const QString error = AtomicFileWriter::write(fileName, contents);
    if (!error.isEmpty()) {
        qCDebug(lcFacade) << "can't open file" << fileName;
        emit sendErrorMessage(ErrorTitle, error);
    }
}

void WorkerAsync::saveSeries(QAbstractSeries *series, const QString &fileName)
{
    if (series)
        writeUserFile(fileName, SeriesExporter::oneSeries(SeriesExporter::pointsOf(series)));
}

void WorkerAsync::saveMultipleSeries(const QVariantList &seriesList, const QString &fileName)
{
    const QList<SeriesExporter::Column> columns = SeriesExporter::columnsOf(seriesList);
    if (SeriesExporter::longest(columns) > 0)
        writeUserFile(fileName, SeriesExporter::multipleSeries(columns));
}

TraceHeader WorkerAsync::describedRun(const QStringList &seriesNames, const QString &xTitle,
                                      const QString &yTitle) const
{
    TraceHeader header = TraceHeader::forSeries(seriesNames, m_modulesAtRunStart);
    header.program = QStringLiteral("VantrelLab %1").arg(m_version);
    header.start = m_runStart.isValid() ? m_runStart : QDateTime::currentDateTimeUtc();
    header.xTitle = xTitle;
    header.yTitle = yTitle;
    header.timeAxis =
        m_currentMode >= WorkerModeSspdSingleChannel && m_currentMode <= WorkerModeTemperatureVersTime;
    // The count-rate trace sets every channel to the chart's constant on its first poll.
    if (m_currentMode == WorkerModeCpsVersTime) {
        for (TraceHeader::Channel &channel : header.channels)
            channel.timeConstantS = m_settings->timeConstant();
    }
    return header;
}

QStringList WorkerAsync::traceNames() const
{
    QStringList names;
    for (const QAbstractSeries *series : m_settings->series())
        names << series->name();
    return names;
}

void WorkerAsync::saveDescribedSeries(const QVariantList &seriesList, const QString &xTitle,
                                      const QString &yTitle, const QString &fileName)
{
    QList<SeriesExporter::Column> columns = SeriesExporter::columnsOf(seriesList);
    if (SeriesExporter::longest(columns) == 0)
        return;
    const QByteArray latchedNote =
        m_latchedPoints->measure(columns, seriesList) ? LatchedPoints::HeaderNote : "";
    QStringList names;
    for (const SeriesExporter::Column &column : columns)
        names << column.name;
    const QByteArray data = columns.size() == 1
                                ? SeriesExporter::oneSeries(columns.first().points, columns.first().latched)
                                : SeriesExporter::multipleSeries(columns);
    writeUserFile(fileName, describedRun(names, xTitle, yTitle).text() + latchedNote + data);
}

QList<bool> WorkerAsync::latchedFlags(const QXYSeries *series, const QList<QPointF> &points) const
{
    return m_latchedPoints->flags(series, points);
}

void WorkerAsync::startTraceLog(const QString &fileName, const QString &xTitle, const QString &yTitle)
{
    const QString error = m_traceLog->start(fileName, describedRun(traceNames(), xTitle, yTitle).text());
    if (!error.isEmpty())
        emit sendErrorMessage(ErrorTitle, error);
}

void WorkerAsync::setPlotPaused(bool paused)
{
    if (m_plotPaused == paused)
        return;
    m_plotPaused = paused;
    if (!paused) {
        m_pausedPoints.release();
        updatePlot();
    }
    emit plotPausedChanged();
}

void WorkerAsync::savePresets(const QString &fileName)
{
    qCDebug(lcFacade) << "save presets to" << fileName;
    const QString error = PresetFile::save(m_dataList->items(), fileName);
    if (!error.isEmpty())
        emit sendErrorMessage(ErrorTitle, error);
}

void WorkerAsync::restorePresets(const QString &fileName)
{
    qCDebug(lcFacade) << "restore presets";
    QList<PresetFile::ChannelPreset> channels;
    const QString error = PresetFile::load(fileName, &channels);
    if (!error.isEmpty()) {
        emit sendErrorMessage(ErrorTitle, error);
        return;
    }
    const QString refused = PresetFile::keepWithinLimits(&channels, m_dataList->items());
    for (const PresetFile::ChannelPreset &channel : std::as_const(channels)) {
        setParameter(channel.address, QStringLiteral("current"), channel.current);
        setParameter(channel.address, QStringLiteral("cmp_ref_level"), channel.level);
    }
    if (!refused.isEmpty())
        emit sendErrorMessage(ErrorTitle, refused);
}

void WorkerAsync::turnOnAllSelectedChannels(bool turnOn)
{
    for (const DataProviderItem &item : m_dataList->items()) {
        if (item.byName(QStringLiteral("selected")).toBool() && DataProviderList::isOperable(item))
            setParameter(item.byName(QStringLiteral("address")).toInt(), QStringLiteral("operate"), turnOn);
    }
}

void WorkerAsync::sendEepromData()
{
    // The worker gets the values, never the items: they belong to the GUI thread.
    sendCommand(CommandSetEepromConst, m_eepromStorage->constants());
}

void WorkerAsync::writeEeprom()
{
    sendCommand(CommandWriteEEPROM, m_eepromStorage->address());
}

void WorkerAsync::eepromDataReady(int address, const QVariantMap &data)
{
    qCDebug(lcFacade) << "calibration constants of module" << address;
    m_eepromStorage->initialize(data);
    emit eepromDataUpdated();
}

void WorkerAsync::resetLatch(int address)
{
    double measured = 0;
    for (const DataProviderItem &item : m_dataList->items()) {
        if (item.byName(QStringLiteral("address")).toInt() == address)
            measured = item.byName(QStringLiteral("current")).toDouble();
    }
    m_latchReset->reset(address, measured);
}

void WorkerAsync::updateData(int address, const QVariantHash &data)
{
    const QList<DataProviderItem> items = m_dataList->items();
    int index = -1;
    for (int i = 0; i < items.size() && index < 0; ++i) {
        if (items.at(i).byName(QStringLiteral("address")).toInt() == address)
            index = i;
    }
    if (index < 0)
        return;
    DataProviderItem item = items.at(index);
    for (auto it = data.cbegin(); it != data.cend(); ++it)
        item.setValue(it.key(), it.value());
    // A value the module says it did not measure is shown as none, not as a measurement.
    const bool valid = data.value(QLatin1String(ReadingValidity::ValidKey), true).toBool();
    if (!valid) {
        for (const char *reading : {"cps", "temperature"}) {
            if (data.contains(QLatin1String(reading)))
                item.setValue(QLatin1String(reading), QVariant());
        }
    }
    if (!data.isEmpty()) {
        m_dataList->setItemAt(index, item);
        emit m_dataList->dataUpdated(index, data.keys());
    }
    const QString lostSettings = m_reconnectCheck->moduleRead(address, data);
    if (!lostSettings.isEmpty())
        setStatusText(lostSettings);
    // A sweep or histogram takes only the readings of its own run, which come on their own.
    if (!isRun(m_currentMode))
        plotReading(address, data);
}

void WorkerAsync::updateRunData(int address, const QVariantHash &data, quint64 run)
{
    if (isRun(m_currentMode) && m_sweepRun.accepts(address, run))
        plotReading(address, data);
}

void WorkerAsync::plotReading(int address, const QVariantHash &data)
{
    // The IV curve charts the bias source's current and voltage, which stay measurements.
    if (data.value(QLatin1String(ReadingValidity::ValidKey), true).toBool() ||
        m_currentMode == WorkerModeIVCurves)
        plotValues(address, data);
}

void WorkerAsync::rememberBeforeSweep(WorkerMode mode)
{
    const int address = m_settings->activeChannel();
    for (const DataProviderItem &item : m_dataList->items()) {
        if (item.byName(QStringLiteral("address")).toInt() == address) {
            m_sweepReturn->remember(mode, address, item.byName(QStringLiteral("current")).toDouble(),
                                    item.byName(QStringLiteral("cmp_ref_level")).toDouble());
            return;
        }
    }
    m_sweepReturn->forget();
}

void WorkerAsync::plotValues(int address, const QVariantHash &data)
{
    if (isSweep(m_currentMode) &&
        data.value(QStringLiteral("status")).toInt() == DataProviderList::DeviceStatusFault) {
        setStatusText(QStringLiteral("Module %1 does not answer.").arg(address));
        return;
    }
    const QString cps = QStringLiteral("cps");
    const QString current = QStringLiteral("current");
    const QString level = QStringLiteral("cmp_ref_level");
    const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();
    switch (m_currentMode) {
    case WorkerModeSspdSingleChannel:
    case WorkerModeCpsVersTime:
        if (data.contains(cps))
            appendToTrace(seriesNamed(QStringLiteral("SSPD %1").arg(address)), nowMs,
                          qMax(LeastCountRate, data.value(cps).toDouble()), true, latchedReading(data));
        break;
    case WorkerModeTemperatureSingleMode:
    case WorkerModeTemperatureVersTime:
        if (data.contains(QStringLiteral("temperature")))
            appendToTrace(seriesNamed(QStringLiteral("Temperature %1").arg(address)), nowMs,
                          data.value(QStringLiteral("temperature")).toDouble(), true);
        break;
    case WorkerModeCpsVersCurrent:
        if (data.contains(cps) && data.contains(current)) {
            const double microAmps = data.value(current).toDouble() * MicroPerUnit;
            setStatusText(
                QStringLiteral("X: %1 %2\r\nY: %3 cps")
                    .arg(microAmps, 0, 'f', cSweepParameters(m_sweepValues).decimalsFor(MicroPerUnit))
                    .arg(MicroAmpere, countRateText(data.value(cps).toDouble())));
            appendToTrace(lastSeries(), microAmps, qMax(LeastCountRate, data.value(cps).toDouble()), false,
                          latchedReading(data));
        }
        break;
    case WorkerModeCpsVersTrigger:
        if (data.contains(cps) && data.contains(level)) {
            const double milliVolts = data.value(level).toDouble() * MilliPerUnit;
            setStatusText(QStringLiteral("X: %1 mV\r\nY: %2 cps")
                              .arg(milliVolts, 0, 'f', 1)
                              .arg(countRateText(data.value(cps).toDouble())));
            appendToTrace(lastSeries(), milliVolts, qMax(LeastCountRate, data.value(cps).toDouble()), false,
                          latchedReading(data));
        }
        break;
    case WorkerModeIVCurves:
        if (data.contains(current) && data.contains(QStringLiteral("voltage"))) {
            const double milliVolts = data.value(QStringLiteral("voltage")).toDouble() * MilliPerUnit;
            const double microAmps = data.value(current).toDouble() * MicroPerUnit;
            setStatusText(
                QStringLiteral("X: %1 mV\r\nY: %2 %3")
                    .arg(milliVolts, 0, 'f', 1)
                    .arg(microAmps, 0, 'f', cSweepParameters(m_sweepValues).decimalsFor(MicroPerUnit))
                    .arg(MicroAmpere));
            appendToTrace(lastSeries(), milliVolts, microAmps, false);
        }
        break;
    case WorkerModeHistogram:
        if (data.contains(cps)) {
            setStatusText(QStringLiteral("cps: %1").arg(data.value(cps).toDouble(), 0, 'f', 1));
            addToHistogram(data.value(cps).toDouble());
        }
        break;
    default:
        break;
    }
}

void WorkerAsync::addToHistogram(double cps)
{
    const QList<QAbstractSeries *> series = m_settings->series();
    auto *histogram = series.isEmpty() ? nullptr : qobject_cast<QAreaSeries *>(series.last());
    QLineSeries *bars = histogram ? histogram->upperSeries() : nullptr;
    if (!bars)
        return;
    if (bars->count() == 0)
        buildHistogramBars(histogram);
    if (m_histogramBins.step == 0)
        return;
    const qint64 bin = qRound64((cps - m_histogramBins.from) / m_histogramBins.step);
    if (bin < 0 || 4 * bin + 2 >= bars->count())
        return;
    if (m_plotPaused) {
        m_pausedPoints.holdBarCount(bars, int(4 * bin + 1));
        return;
    }
    for (const int index : {int(4 * bin + 1), int(4 * bin + 2)}) {
        const QPointF top = bars->at(index);
        bars->replace(index, top.x(), top.y() + 1);
    }
}

void WorkerAsync::buildHistogramBars(QAreaSeries *histogram)
{
    m_histogramBins = {};
    if (const QList<ParameterItem> *items = m_settings->SweepParameterModel()->Items()) {
        for (const ParameterItem &item : *items) {
            if (item.name() == QLatin1String("from"))
                m_histogramBins.from = item.value().toDouble();
            else if (item.name() == QLatin1String("to"))
                m_histogramBins.to = item.value().toDouble();
            else if (item.name() == QLatin1String("step"))
                m_histogramBins.step = item.value().toDouble();
        }
    }
    const double from = m_histogramBins.from;
    const double step = m_histogramBins.step;
    if (step == 0 || !qIsFinite(step) || !qIsFinite(from))
        return;
    const qint64 bins = qRound64((m_histogramBins.to - from) / step);
    // Each bin is four points; beyond this a chart would stall the screen or exhaust memory.
    if (bins <= 0 || bins > MaxHistogramBins) {
        setStatusText(QStringLiteral("Histogram range holds %1 bins; at most %2 can be shown.")
                          .arg(bins)
                          .arg(MaxHistogramBins));
        return;
    }
    QList<QPointF> points;
    points.reserve(int(4 * bins));
    for (qint64 j = 0; j < bins; ++j) {
        const double left = from + (j + BarInset) * step;
        const double right = from + (j + 1 - BarInset) * step;
        points << QPointF(left, 0) << QPointF(left, 0) << QPointF(right, 0) << QPointF(right, 0);
    }
    histogram->upperSeries()->replace(points);
    // The baseline is made once per histogram and moved with each rebuild.
    QLineSeries *baseline = histogram->lowerSeries();
    if (!baseline) {
        baseline = new QLineSeries(histogram);
        histogram->setLowerSeries(baseline);
    }
    baseline->replace({QPointF(from + BarInset * step, 0), QPointF(from + (bins - BarInset) * step, 0)});
}

QXYSeries *WorkerAsync::seriesNamed(const QString &name) const
{
    for (QAbstractSeries *series : m_settings->series()) {
        if (series->name() == name)
            return qobject_cast<QXYSeries *>(series);
    }
    return nullptr;
}

QXYSeries *WorkerAsync::lastSeries() const
{
    const QList<QAbstractSeries *> series = m_settings->series();
    return series.isEmpty() ? nullptr : qobject_cast<QXYSeries *>(series.last());
}

void WorkerAsync::appendToTrace(QXYSeries *series, double x, double y, bool capped, bool latched)
{
    static_assert(LeastCountRate == CountRateFloor::Drawn, "files read the drawn zero back as 0");
    // A NaN or infinite point would be dropped by the chart and break the point count.
    if (!series || !qIsFinite(x) || !qIsFinite(y))
        return;
    m_latchedPoints->note(series, QPointF(x, y), latched);
    m_traceLog->append(series->name(), x, CountRateFloor::measured(y));
    if (m_plotPaused) {
        m_pausedPoints.hold(series, QPointF(x, y), capped ? SeriesPointLimit : 0);
        return;
    }
    if (!capped) {
        // A sweep point may fall inside the range in force, so the chart must hear of it itself.
        series->append(x, y);
        return;
    }
    // One change per poll: the time axis moves with the range update that follows, and the
    // chart picks the point up with it.
    const bool blocked = series->blockSignals(true);
    series->append(x, y);
    if (series->count() > SeriesPointLimit)
        series->removePoints(0, series->count() - SeriesPointLimit);
    series->blockSignals(blocked);
}

void WorkerAsync::updatePlot()
{
    if (m_currentMode == WorkerModeNoAction || m_plotPaused)
        return;
    MyChartRect *rect = chartRect(m_currentMode);
    ChartRangeFitter::follow(rect, *m_settings, m_currentMode, QDateTime::currentMSecsSinceEpoch());
    m_settings->setChartRect(rect);
}

void WorkerAsync::refitVerticalRange()
{
    MyChartRect *rect = m_settings->chartRect();
    const WorkerMode mode = m_chartRects.key(rect, WorkerModeNoAction);
    if (rect)
        ChartRangeFitter::refitVertical(rect, *m_settings, mode);
}

void WorkerAsync::rescaleChartRec(WorkerMode mode)
{
    qCDebug(lcFacade) << "rescale chart rect";
    MyChartRect *rect = chartRect(mode);
    ChartRangeFitter::fitAll(rect, *m_settings, mode);
    m_settings->setChartRect(rect);
}

void WorkerAsync::vantrelConnected()
{
    qCDebug(lcFacade) << "vantrelConnected";
    emit connected();
}

void WorkerAsync::setConnection(int state, qint64 sinceMs, int tries)
{
    m_connectionState = state;
    m_connectionText = ConnectionMonitor::text(static_cast<ConnectionMonitor::State>(state), sinceMs, tries);
    m_reconnectCheck->connectionChanged(state, m_dataList->items());
    // "Connected!!!" must not stand beside an indicator that says otherwise.
    const bool down = state == ConnectionMonitor::StateReconnecting || state == ConnectionMonitor::StateLost;
    if (down && m_statusText == ConnectedText)
        setStatusText(NotAnsweringText);
    else if (state == ConnectionMonitor::StateConnected && m_statusText == NotAnsweringText)
        setStatusText(ConnectedText);
    emit connectionStateChanged();
}
