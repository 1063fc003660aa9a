#pragma once

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QThread>
#include <QVariant>

class WorkerProcess;

/// The one object the screens talk to. Lives on the GUI thread, owns the worker thread and
/// forwards commands to the worker, which answers with queued signals only.
class WorkerAsync : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool GUIEnable READ GUIEnable WRITE setGUIEnable NOTIFY GUIEnableChanged)
    Q_PROPERTY(QStringList AvailableVantrels READ AvailableVantrels WRITE setAvailableVantrels NOTIFY
                   AvailableVantrelsChanged)
    Q_PROPERTY(
        QString CurrentAddress READ CurrentAddress WRITE setCurrentAddress NOTIFY CurrentAddressChanged)
    Q_PROPERTY(QString statusText READ statusText WRITE setStatusText NOTIFY statusTextChanged)
    Q_PROPERTY(
        WorkerProducerType producerType READ producerType WRITE setProducerType NOTIFY producerTypeChanged)
    Q_PROPERTY(bool animationEnable READ animationEnable NOTIFY animationEnableChanged)
    Q_PROPERTY(double progress READ progress WRITE setProgress NOTIFY progressChanged)
    Q_PROPERTY(QString WorkerVersion READ WorkerVersion CONSTANT)
    Q_PROPERTY(bool isSystemEqualRaspberryPi READ isSystemEqualRaspberryPi CONSTANT)

public:
    /// What the worker loop does each pass.
    enum WorkerMode
    {
        WorkerModeAllChannels = 0,
        WorkerModeSspdSingleChannel,
        WorkerModeTemperatureSingleMode,
        WorkerModeCpsVersTime,
        WorkerModeTemperatureVersTime,
        WorkerModeCpsVersCurrent,
        WorkerModeCpsVersTrigger,
        WorkerModeIVCurves,
        WorkerModeHistogram,
        WorkerModeNoAction
    };
    Q_ENUM(WorkerMode)

    /// Commands queued to the worker, each with one variant parameter.
    enum WorkerCommands
    {
        CommandConnect = 0,
        CommandSetMode,
        CommandSetActiveChannels,
        CommandSetTimeOut,
        CommandFreeStyle,
        CommandSweepParams,
        CommandResetUnits,
        CommandSystemReset,
        CommandPowerOff,
        CommandAddUnit,
        CommandRemoveUnit,
        CommandUpdateUnit,
        CommandLock,
        CommandUpdateEepromConst,
        CommandSetEepromConst,
        CommandWriteEEPROM
    };
    Q_ENUM(WorkerCommands)

    enum WorkerProducerType
    {
        ProducerNone = 0,
        ProducerNorvane,
        ProducerGlimmor,
        ProducerPinecove
    };
    Q_ENUM(WorkerProducerType)

    enum CpsVsTimeMode
    {
        CpsVsTimeFreeRunning = 0,
        CpsVsTimeWindowed
    };
    Q_ENUM(CpsVsTimeMode)

    static constexpr const char *SettingsOrganization = "Norvane";
    static constexpr const char *SettingsApplication = "vt-deskapp";
    static constexpr const char *AddressKey = "TcpIpAddress";
    static constexpr const char *DefaultAddress = "127.000.000.001";

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
    QString statusText() const { return m_statusText; }
    WorkerProducerType producerType() const { return m_producerType; }
    void setProducerType(WorkerProducerType type);
    bool animationEnable() const { return m_animationEnable; }
    void setAnimationEnable(bool enable);
    double progress() const { return m_progress; }
    QString WorkerVersion() const { return m_version; }
    bool isSystemEqualRaspberryPi() const { return m_isRaspberryPi; }

    /// The worker, for tests and benchmarks that queue commands directly.
    WorkerProcess *worker() const;

public slots:
    void connectToVantrel(const QString &address);
    void disconnect();
    void sendCommand(WorkerAsync::WorkerCommands cmd, const QVariant &params);
    QString currentAppPath() const;
    QString urlToPath(const QString &url) const;

    void setStatusText(const QString &text);
    void setProgress(double value);

signals:
    void GUIEnableChanged();
    void AvailableVantrelsChanged();
    void CurrentAddressChanged();
    void connected();
    void disconnected();
    void statusTextChanged();
    void producerTypeChanged();
    void animationEnableChanged();
    void startProcess();
    void progressChanged();
    void sweepFinished();
    void eepromDataUpdated();
    void sendErrorMessage(const QString &title, const QString &error);
    void sendMessage(const QString &title, const QString &message);

private slots:
    void initDataList(const QJsonObject &initData);
    void vantrelConnected();

private:
    WorkerAsync();
    void connectWorker();

    bool m_GUIEnable = true;
    QStringList m_availableVantrels;
    QString m_currentAddress;
    QString m_statusText;
    double m_progress = 0;
    WorkerProducerType m_producerType = ProducerNorvane;
    bool m_animationEnable = true;
    QThread m_workerThread;
    QPointer<WorkerProcess> m_worker;
    const QString m_version = QStringLiteral("1.3.1");
    const bool m_isRaspberryPi = false;
};
