#pragma once

#include <QtGlobal>
#include <random>

/// A superconducting nanowire single-photon detector on a bias line with its read-out chain
/// (amplifier, RF switch, comparator, counter) and the automatic reset. Pure arithmetic on
/// simulated time: `advance` moves the model on, the readings describe its present state.
///
/// - Below the critical current the wire is superconducting (only the series resistance
///   drops a voltage); above it the wire latches into the normal state (tens of mV, no pulses)
///   and stays there until the current falls below the retrapping current or the auto reset
///   drops it.
/// - Photon counts follow the detection efficiency, a sigmoid in the bias current toward the
///   light level; dark counts grow exponentially toward the critical current. Pulse heights
///   grow with the current and spread; the comparator passes those above its trigger level,
///   and amplifier noise adds counts when the trigger level nears 0 V.
/// - Counts are drawn per counting window (one time constant) from a Poisson distribution
///   with a seeded generator, so a test sees the same counts for the same seed.
class SspdPhysics
{
public:
    struct Settings
    {
        double criticalCurrent = 22e-6;    ///< at the reference temperature, A
        double lightLevel = 2e5;           ///< photon counts on the efficiency plateau, counts/s
        double darkCountsAtCritical = 3e4; ///< dark count rate at the critical current, counts/s
        quint64 seed = 1;                  ///< seed of the random counts and read-out noise
    };

    /// The switches of the module's status byte that act on the detector and its read-out.
    struct Switches
    {
        bool shorted = true;
        bool amplifierOn = false;
        bool rfKeyToComparator = false;
        bool comparatorOn = false;
        bool counterOn = false;
        bool autoResetOn = false;
    };

    static constexpr double ReferenceTemperature = 2.2; ///< K, where `criticalCurrent` holds
    static constexpr double CriticalTemperature = 9.0;  ///< K, the film's transition
    static constexpr double MinTimeConst = 1e-3;        ///< shortest counting window, s
    static constexpr double MaxTimeConst = 3600.0;      ///< longest counting window, s
    static constexpr double MinAutoResetTimeOut = 1e-3; ///< s
    static constexpr double MaxBiasCurrent = 100e-6;    ///< the bias source's range, A

    explicit SspdPhysics(const Settings &settings);

    /// Moves the model on by `seconds` of simulated time (counting windows, auto reset).
    void advance(double seconds);

    /// Bias current set point, A (clamped to the source's range; NaN is ignored).
    void setBiasCurrent(double amperes);
    double biasCurrent() const { return m_biasCurrent; }
    void setSwitches(const Switches &switches);
    const Switches &switches() const { return m_switches; }
    /// Comparator trigger level, V (NaN is ignored).
    void setTriggerLevel(double volts);
    double triggerLevel() const { return m_triggerLevel; }
    /// Counting window, s (clamped to MinTimeConst..MaxTimeConst); a new value starts a new window.
    void setTimeConst(double seconds);
    double timeConst() const { return m_timeConst; }
    void setAutoResetThreshold(double volts);
    double autoResetThreshold() const { return m_autoResetThreshold; }
    /// Time the voltage must stay above the threshold before a reset, s (at least MinAutoResetTimeOut).
    void setAutoResetTimeOut(double seconds);
    double autoResetTimeOut() const { return m_autoResetTimeOut; }
    void setAutoResetCount(quint32 count) { m_autoResetCount = count; }
    quint32 autoResetCount() const { return m_autoResetCount; }

    /// Hook for the cryostat: the critical current falls as the bath warms toward the film's
    /// critical temperature (Ic ∝ 1 - (T/Tc)²), in kelvin.
    void setBathTemperature(double kelvin);
    /// The critical current at the present bath temperature, A.
    double criticalCurrent() const;

    bool isLatched() const { return m_latched; }
    /// Voltage across the detector without read-out noise, V.
    double voltage() const;
    /// Mean count rate of the present state, counts/s.
    double countRate() const;
    /// Pulses counted in the last completed window (0 before the first one ends).
    double lastWindowCounts() const { return m_lastWindowCounts; }

    /// Read-outs as the module's converters report them, with a little noise.
    double measuredCurrent();
    double measuredVoltage();

private:
    bool isCounting() const;
    bool autoResetPending() const;
    bool resetRepeats() const;
    double voltageWhen(bool latched) const;
    void updateLatch();
    void accumulateOverThreshold(double seconds);
    void skipRepeatedWindows(double &remaining);
    void finishWindow();

    Settings m_settings;
    Switches m_switches;
    double m_biasCurrent = 0;
    double m_triggerLevel = 0.15;
    double m_timeConst = 1.0;
    double m_autoResetThreshold = 0.02;
    double m_autoResetTimeOut = 1.0;
    quint32 m_autoResetCount = 0;
    double m_bathTemperature = ReferenceTemperature;

    bool m_latched = false;
    double m_windowElapsed = 0;    ///< s into the present counting window
    double m_overThresholdFor = 0; ///< s the voltage has stayed above the auto-reset threshold
    double m_lastWindowCounts = 0;
    std::mt19937_64 m_random;
};
