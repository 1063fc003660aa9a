#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <functional>

/// The "Recycle" screen's side of the temperature recycle, on the GUI thread: holds the last
/// report of the worker's RecycleSession as properties, checks the times the user enters and
/// queues the start, abort and monitoring commands.
///
/// Report keys: "available", "running", "state", "stateText", "remainingMs", "phaseRemainingMs",
/// "progress" (0..1), "relay1", "relay2" (energised), "integrity", "stageTemperature",
/// "pumpTemperature" (K), "time" (ms since the epoch of the readings), "outcome" (text of the
/// last run's end), "unrestored" (bus addresses of detectors whose short state could not be
/// restored).
class RecycleController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool available READ available NOTIFY statusChanged)
    Q_PROPERTY(bool running READ running NOTIFY statusChanged)
    Q_PROPERTY(int state READ state NOTIFY statusChanged)
    Q_PROPERTY(QString stateText READ stateText NOTIFY statusChanged)
    Q_PROPERTY(double remainingSeconds READ remainingSeconds NOTIFY statusChanged)
    Q_PROPERTY(double phaseRemainingSeconds READ phaseRemainingSeconds NOTIFY statusChanged)
    Q_PROPERTY(double progress READ progress NOTIFY statusChanged)
    Q_PROPERTY(bool relay1On READ relay1On NOTIFY statusChanged)
    Q_PROPERTY(bool relay2On READ relay2On NOTIFY statusChanged)
    Q_PROPERTY(bool integrityOk READ integrityOk NOTIFY statusChanged)
    Q_PROPERTY(double stageTemperature READ stageTemperature NOTIFY statusChanged)
    Q_PROPERTY(double pumpTemperature READ pumpTemperature NOTIFY statusChanged)
    Q_PROPERTY(QString outcome READ outcome NOTIFY statusChanged)
    Q_PROPERTY(bool monitoring READ monitoring WRITE setMonitoring NOTIFY monitoringChanged)
public:
    /// Queues one RecycleSession request, (request, payload), to the worker.
    using Sender = std::function<void(const QVariantList &)>;

    static constexpr double MinPhaseSeconds = 1.0;         ///< shortest phase the screen accepts
    static constexpr double MaxPhaseSeconds = 24 * 3600.0; ///< longest phase the screen accepts

    explicit RecycleController(Sender sender, QObject *parent = nullptr);

    bool available() const { return m_status.value(QStringLiteral("available")).toBool(); }
    bool running() const { return m_status.value(QStringLiteral("running")).toBool(); }
    int state() const { return m_status.value(QStringLiteral("state")).toInt(); }
    QString stateText() const { return m_status.value(QStringLiteral("stateText")).toString(); }
    /// Until the end of the whole recycle, s.
    double remainingSeconds() const
    {
        return m_status.value(QStringLiteral("remainingMs")).toDouble() / 1000.0;
    }
    /// Until the end of the running phase, s.
    double phaseRemainingSeconds() const
    {
        return m_status.value(QStringLiteral("phaseRemainingMs")).toDouble() / 1000.0;
    }
    double progress() const { return m_status.value(QStringLiteral("progress")).toDouble(); }
    bool relay1On() const { return m_status.value(QStringLiteral("relay1")).toBool(); }
    bool relay2On() const { return m_status.value(QStringLiteral("relay2")).toBool(); }
    bool integrityOk() const { return m_status.value(QStringLiteral("integrity"), true).toBool(); }
    double stageTemperature() const { return m_status.value(QStringLiteral("stageTemperature")).toDouble(); }
    double pumpTemperature() const { return m_status.value(QStringLiteral("pumpTemperature")).toDouble(); }
    /// How the last run ended, with the detectors that could not be restored named plainly.
    QString outcome() const;
    bool monitoring() const { return m_monitoring; }
    void setMonitoring(bool on);

    /// Starts a recycle with these phase times, s. False, with nothing sent, unless every time
    /// lies from MinPhaseSeconds to MaxPhaseSeconds.
    Q_INVOKABLE bool start(double heatingSeconds, double thermalizationSeconds, double coolingSeconds);
    Q_INVOKABLE void abort();

public slots:
    /// A report from the worker.
    void applyStatus(const QVariantMap &status);

signals:
    void statusChanged();
    void monitoringChanged();
    /// New readings: time in ms since the epoch, temperatures in K.
    void temperatureRead(double time, double stage, double pump);

private:
    Sender m_send;
    QVariantMap m_status;
    bool m_monitoring = false;
};
