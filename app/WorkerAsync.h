#pragma once

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QThread>
#include <QVariant>

#include "DataProviderItem.h"
#include "ParameterItem.h"
#include "PausedPoints.h"
#include "SweepRunFilter.h"
#include "WorkerTypes.h"

#include <QDateTime>

class DataProviderList;
class EepromDataStorage;
class LatchReset;
class LatchedPoints;
class ReconnectSettingsCheck;
class MyChartRect;
class QAbstractSeries;
class QAreaSeries;
class RecycleController;
class SweepReturnOffer;
class QXYSeries;
class Settings;
class TraceHeader;
class TraceLogger;
class WorkerProcess;

/// The one object the screens talk to. Lives on the GUI thread, owns the worker thread and
/// forwards commands to the worker, which answers with queued signals only.
class WorkerAsync : public WorkerTypes
{
    Q_OBJECT
    Q_MOC_INCLUDE("DataProviderList.h")
    Q_MOC_INCLUDE("Settings.h")
    Q_MOC_INCLUDE(<QtCharts / QXYSeries>)
    Q_MOC_INCLUDE("TraceLogger.h")
    Q_MOC_INCLUDE("RecycleController.h")
    Q_MOC_INCLUDE("SweepReturnOffer.h")
    Q_PROPERTY(bool GUIEnable READ GUIEnable WRITE setGUIEnable NOTIFY GUIEnableChanged)
    Q_PROPERTY(QStringList AvailableVantrels READ AvailableVantrels WRITE setAvailableVantrels NOTIFY
                   AvailableVantrelsChanged)
    Q_PROPERTY(
        QString CurrentAddress READ CurrentAddress WRITE setCurrentAddress NOTIFY CurrentAddressChanged)
    Q_PROPERTY(DataProviderList *dataList READ dataList WRITE setDataList NOTIFY dataListChanged)
    Q_PROPERTY(QString statusText READ statusText WRITE setStatusText NOTIFY statusTextChanged)
    Q_PROPERTY(WorkerTypes::WorkerProducerType producerType READ producerType WRITE setProducerType NOTIFY
                   producerTypeChanged)
    Q_PROPERTY(bool animationEnable READ animationEnable NOTIFY animationEnableChanged)
    Q_PROPERTY(Settings *settings READ settings WRITE setSettings NOTIFY settingsChanged)
    Q_PROPERTY(double progress READ progress WRITE setProgress NOTIFY progressChanged)
    Q_PROPERTY(QString WorkerVersion READ WorkerVersion CONSTANT)
    /// The "Recycle" screen's state and commands.
    Q_PROPERTY(RecycleController *recycle READ recycle CONSTANT)
    /// After a sweep: the offer to set its channel's bias and trigger level as before it.
    Q_PROPERTY(SweepReturnOffer *sweepReturn READ sweepReturn CONSTANT)
    Q_PROPERTY(bool isSystemEqualRaspberryPi READ isSystemEqualRaspberryPi CONSTANT)
    /// The live charts stop drawing while true; readings go on and are drawn on resume.
    Q_PROPERTY(bool plotPaused READ plotPaused WRITE setPlotPaused NOTIFY plotPausedChanged)
    /// Continuous logging of the live traces to a file.
    Q_PROPERTY(TraceLogger *traceLog READ traceLog CONSTANT)
    /// The link indicator beside the status text: a ConnectionMonitor::State and its text.
    Q_PROPERTY(int connectionState READ connectionState NOTIFY connectionStateChanged)
    Q_PROPERTY(QString connectionText READ connectionText NOTIFY connectionStateChanged)

public:
    static constexpr int SeriesPointLimit = 10000; ///< points kept by a time-based trace
    static constexpr double LeastCountRate = 1e-5; ///< drawn instead of 0 so a log axis shows it
    static constexpr qint64 MaxHistogramBins = 10000;

    /// The process-wide facade, created without parent on first use.
    static WorkerAsync *instance();
    /// Stops the worker thread and deletes the facade; the next instance() makes a new one.
    static void destroyInstance();

    ~WorkerAsync() override;

    bool GUIEnable() const { return m_GUIEnable; }
    void setGUIEnable(bool enable);
    QStringList AvailableVantrels() const { return m_availableVantrels; }
    void setAvailableVantrels(const QStringList &list);
    QString CurrentAddress() const { return m_currentAddress; }
    void setCurrentAddress(const QString &address);
    DataProviderList *dataList() const { return m_dataList; }
    void setDataList(DataProviderList *list);
    QString statusText() const { return m_statusText; }
    WorkerProducerType producerType() const { return m_producerType; }
    void setProducerType(WorkerProducerType type);
    bool animationEnable() const { return m_animationEnable; }
    void setAnimationEnable(bool enable);
    Settings *settings() const { return m_settings; }
    RecycleController *recycle() const { return m_recycle; }
    SweepReturnOffer *sweepReturn() const { return m_sweepReturn; }
    void setSettings(Settings *settings);
    double progress() const { return m_progress; }
    WorkerMode currentMode() const { return m_currentMode; }
    bool plotPaused() const { return m_plotPaused; }
    void setPlotPaused(bool paused);
    /// Every point `series` has taken, those a paused view holds back included.
    QList<QPointF> pointsTaken(const QXYSeries *series) const { return m_pausedPoints.withHeld(series); }
    /// For each of `points` of `series`: it was taken while the detector was latched.
    QList<bool> latchedFlags(const QXYSeries *series, const QList<QPointF> &points) const;
    TraceLogger *traceLog() const { return m_traceLog; }
    /// The chart range of `mode`, made on first use.
    MyChartRect *chartRect(WorkerMode mode);

    /// The count rate as the status texts show it: 4 significant digits, "e" without "+0".
    static QString countRateText(double cps);
    int connectionState() const { return m_connectionState; }
    QString connectionText() const { return m_connectionText; }
    QString WorkerVersion() const { return m_version; }
    bool isSystemEqualRaspberryPi() const { return m_isRaspberryPi; }

    /// The calibration constants being edited; the editor reaches it through EepromDataModel.
    EepromDataStorage *eepromStorage() const { return m_eepromStorage; }

    /// The worker, for tests and benchmarks that queue commands directly.
    WorkerProcess *worker() const;

public slots:
    void connectToVantrel(const QString &address);
    void disconnect();
    void updateAvailableVantrelList();
    void activateMode(WorkerAsync::WorkerMode mode);
    void initializeGUI(WorkerAsync::WorkerMode mode);
    void deactivateMode(WorkerAsync::WorkerMode mode);
    void sendCommand(WorkerAsync::WorkerCommands cmd, const QVariant &params);
    void setParameter(int address, const QString &parameter, const QVariant &value);
    /// Exports one series as "x\ty" lines (a histogram: bin middle and count); nothing for a
    /// null series.
    void saveSeries(QAbstractSeries *series, const QString &fileName);
    /// Exports the XY series of the list side by side; nothing when none has a point.
    void saveMultipleSeries(const QVariantList &seriesList, const QString &fileName);
    void rescaleChartRec(WorkerAsync::WorkerMode mode);
    /// As saveSeries or saveMultipleSeries, below comment lines that name the program, the
    /// start of the run, the axes and each channel's settings at that start.
    void saveDescribedSeries(const QVariantList &seriesList, const QString &xTitle, const QString &yTitle,
                             const QString &fileName);
    /// Logs every point of the current screen's series to `fileName` from now on.
    void startTraceLog(const QString &fileName, const QString &xTitle, const QString &yTitle);
    /// Sets the bias current and trigger level of the SSPD channels in a presets file.
    void restorePresets(const QString &fileName);
    /// Writes the modules marked "restore" to a presets file.
    void savePresets(const QString &fileName);
    QString currentAppPath() const;
    /// The local path of a file dialog's selection, a "file:" URL; a typed absolute path wins
    /// over the dialog's folder.
    QString urlToPath(const QString &url) const;
    void turnOnAllSelectedChannels(bool turnOn);
    /// Sends a copy of the edited calibration constants to their module (not yet to its EEPROM).
    void sendEepromData();
    /// Makes the edited module keep the constants it holds over a power cycle.
    void writeEeprom();
    /// Recovers a latched detector channel: bias to 0, then back to its set point.
    void resetLatch(int address);

    void setStatusText(const QString &text);
    void setProgress(double value);

signals:
    void GUIEnableChanged();
    void AvailableVantrelsChanged();
    void CurrentAddressChanged();
    void connected();
    void disconnected();
    void dataListChanged();
    void statusTextChanged();
    void producerTypeChanged();
    void animationEnableChanged();
    void startProcess();
    void settingsChanged();
    void progressChanged();
    void chartViewChanged();
    void sweepFinished();
    void eepromDataUpdated();
    void sendErrorMessage(const QString &title, const QString &error);
    void sendMessage(const QString &title, const QString &message);
    void plotPausedChanged();
    void connectionStateChanged();

private slots:
    void updateData(int address, const QVariantHash &data);
    /// A reading of a sweep or histogram run: a point of the screen's run only if it is one.
    void updateRunData(int address, const QVariantHash &data, quint64 run);
    void updatePlot();
    /// Fits the shown range again after the vertical axis changed between linear and logarithmic.
    void refitVerticalRange();
    void initDataList(const QJsonObject &initData);
    void connectFailed(const QString &reason);
    void vantrelConnected();
    void eepromDataReady(int address, const QVariantMap &data);
    void setConnection(int state, qint64 sinceMs, int tries);

private:
    /// Writes a user's file; a failure is shown as an "ERROR!" message.
    void writeUserFile(const QString &fileName, const QByteArray &contents);
    /// The describing header of the run in force, for the series `seriesNames`.
    TraceHeader describedRun(const QStringList &seriesNames, const QString &xTitle,
                             const QString &yTitle) const;
    QStringList traceNames() const; ///< the names of the settings' series
    WorkerAsync();
    void connectWorker();
    /// Queues the active channels and sweep values of a sweep or histogram screen.
    void queueSweepSetup();
    QList<int> addressesOfSeries(const QString &prefix) const;
    QXYSeries *seriesNamed(const QString &name) const;
    QXYSeries *lastSeries() const;
    void appendToTrace(QXYSeries *series, double x, double y, bool capped, bool latched = false);
    /// Draws a reading the module says it measured (the IV curve's are always measurements).
    void plotReading(int address, const QVariantHash &data);
    void plotValues(int address, const QVariantHash &data);
    /// Starts the return offer of a sweep on the active channel with the values last read there.
    void rememberBeforeSweep(WorkerMode mode);
    /// Raises the bar of the bin `cps` falls in; builds the bars first when there are none.
    void addToHistogram(double cps);
    void buildHistogramBars(QAreaSeries *histogram);

    bool m_GUIEnable = true;
    QStringList m_availableVantrels;
    QString m_currentAddress;
    DataProviderList *m_dataList;
    QString m_statusText;
    QString m_connectFailure; ///< why the last connection attempt failed, until it is shown
    double m_progress = 0;
    WorkerProducerType m_producerType = ProducerNorvane;
    bool m_animationEnable = true;
    QThread m_workerThread;
    QPointer<WorkerProcess> m_worker;
    Settings *m_settings;
    EepromDataStorage *m_eepromStorage; ///< child
    WorkerMode m_currentMode = WorkerModeNoAction;
    QVariantMap m_sweepValues;                                    ///< sent to the worker when a sweep starts
    QMap<WorkerMode, MyChartRect *> m_chartRects;                 ///< children, one per mode
    QMap<WorkerMode, QList<ParameterItem>> m_sweepParameterLists; ///< "Sweep Parameter:" panels
    /// Bins of the histogram bars in force, counts per second; kept until the bars are rebuilt.
    struct HistogramBins
    {
        double from = 0;
        double to = 0;
        double step = 0;
    } m_histogramBins;
    bool m_sweepRunning = false; ///< a sweep was started and has not reported its end
    bool m_plotPaused = false;
    PausedPoints m_pausedPoints;
    TraceLogger *m_traceLog;
    LatchReset *m_latchReset; ///< child
    RecycleController *m_recycle;
    SweepReturnOffer *m_sweepReturn; ///< child
    SweepRunFilter m_sweepRun;
    QDateTime m_runStart;                        ///< when the current mode was activated
    QList<DataProviderItem> m_modulesAtRunStart; ///< the module list at that moment
    int m_connectionState = 0;
    QString m_connectionText;
    ReconnectSettingsCheck *m_reconnectCheck = nullptr;   ///< child
    LatchedPoints *m_latchedPoints = nullptr;             ///< child
    const QString m_version = QStringLiteral(VT_VERSION); ///< the project version CMake builds
    const bool m_isRaspberryPi = false;
};
