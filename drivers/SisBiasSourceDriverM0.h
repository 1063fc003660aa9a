#pragma once

#include "CommonDriver.h"
#include "DriverCommand.h"
#include "DriverProperty.h"
#include "DriverPropertyReadOnly.h"
#include "VT4BSM0Records.h"
#include "pair_t.h"

#include <memory>

/// Driver of the SIS bias-source module ("VT4BSM0"): sets and measures a junction's current
/// and voltage, shorts the junction, has a mode byte, a PID regulation switch, and runs sweeps
/// inside the module. Keeps the data and calibration records coherent with the single values
/// that mirror their fields. Currents in A, voltages in V.
class SisBiasSourceDriverM0 : public CommonDriver
{
    Q_OBJECT
public:
    explicit SisBiasSourceDriverM0(QObject *parent = nullptr);
    ~SisBiasSourceDriverM0() override;

    DriverPropertyReadOnly<VT4BSM0_Data_t> *data() const { return m_data.get(); }
    DriverProperty<float> *current() const { return m_current.get(); }
    DriverProperty<float> *voltage() const { return m_voltage.get(); }
    DriverProperty<bool> *shortEnable() const { return m_shortEnable.get(); }
    DriverProperty<char> *mode() const { return m_mode.get(); }
    DriverProperty<VT4BSM0V0_EEPROM_Const_t> *eepromConst() const { return m_eepromConst.get(); }
    DriverProperty<pair_t<float>> *currentAdcCoeff() const { return m_currentAdcCoeff.get(); }
    DriverProperty<pair_t<float>> *currentDacCoeff() const { return m_currentDacCoeff.get(); }
    DriverProperty<pair_t<float>> *currentLimits() const { return m_currentLimits.get(); }
    DriverProperty<float> *currentStep() const { return m_currentStep.get(); }
    DriverProperty<pair_t<float>> *voltageAdcCoeff() const { return m_voltageAdcCoeff.get(); }
    DriverProperty<pair_t<float>> *voltageDacCoeff() const { return m_voltageDacCoeff.get(); }
    DriverProperty<pair_t<float>> *voltageLimits() const { return m_voltageLimits.get(); }
    DriverProperty<float> *voltageStep() const { return m_voltageStep.get(); }
    DriverProperty<float> *currentMonitorResistance() const
    {
        return m_currentMonitorResistance.get();
    } ///< Ω
    DriverProperty<bool> *pidEnable() const { return m_pidEnable.get(); }
    DriverProperty<VT4BSM0_SWEEP_PARAMS_t> *sweepParams() const { return m_sweepParams.get(); }
    DriverCommand *sweepStart() const { return m_sweepStart.get(); }
    DriverCommand *sweepStop() const { return m_sweepStop.get(); }

    /// Write the set point when it lies within the module's limits (the calibration record is
    /// read first if it never was); false, with nothing sent, for any other value, and false
    /// when the module does not acknowledge.
    bool setCurrentWithinLimits(float amperes, int attempts);
    bool setVoltageWithinLimits(float volts, int attempts);
    /// Writes the sweep record when its start and stop lie within the limits of the swept
    /// quantity and its step and dwell are positive; otherwise false with nothing sent.
    bool setSweepParamsWithinLimits(const VT4BSM0_SWEEP_PARAMS_t &params, int attempts);

signals:
    void dataUpdated(VT4BSM0_Data_t data);
    void eepromConstUpdated(VT4BSM0V0_EEPROM_Const_t eeprom);

public slots:
    /// Caches `data` as the value of data() without bus traffic and publishes it.
    void updateData(const VT4BSM0_Data_t &data);
    /// Caches `eeprom` as the value of eepromConst() without bus traffic and publishes it.
    void updateEEPROM(const VT4BSM0V0_EEPROM_Const_t &eeprom);

private:
    void subscribeCoherenceCallbacks();
    /// Start and stop within the limits of the swept quantity, step and dwell positive.
    bool sweepAllowed(const VT4BSM0_SWEEP_PARAMS_t &sweep) const;

    std::unique_ptr<DriverPropertyReadOnly<VT4BSM0_Data_t>> m_data;
    std::unique_ptr<DriverProperty<float>> m_current;
    std::unique_ptr<DriverProperty<float>> m_voltage;
    std::unique_ptr<DriverProperty<bool>> m_shortEnable;
    std::unique_ptr<DriverProperty<char>> m_mode;
    std::unique_ptr<DriverProperty<VT4BSM0V0_EEPROM_Const_t>> m_eepromConst;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_currentAdcCoeff;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_currentDacCoeff;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_currentLimits;
    std::unique_ptr<DriverProperty<float>> m_currentStep;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_voltageAdcCoeff;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_voltageDacCoeff;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_voltageLimits;
    std::unique_ptr<DriverProperty<float>> m_voltageStep;
    std::unique_ptr<DriverProperty<float>> m_currentMonitorResistance;
    std::unique_ptr<DriverProperty<bool>> m_pidEnable;
    std::unique_ptr<DriverProperty<VT4BSM0_SWEEP_PARAMS_t>> m_sweepParams;
    std::unique_ptr<DriverCommand> m_sweepStart;
    std::unique_ptr<DriverCommand> m_sweepStop;
    bool m_calibrationRead = false; ///< the calibration record arrived at least once
};
