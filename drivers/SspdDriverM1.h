#pragma once

#include "CommonDriver.h"
#include "DriverProperty.h"
#include "DriverPropertyReadOnly.h"
#include "DriverPropertyWriteOnly.h"
#include "VT4SDM1Records.h"
#include "pair_t.h"

#include <memory>

/// Driver of the SSPD module, modification 1 ("VT4SDM1"): as modification 0, plus an
/// independent current monitor, a high-frequency mode in place of the RF key, a pulse-width
/// coefficient, and an acknowledged bias-current write that updates the cached data record at
/// once.
class SspdDriverM1 : public CommonDriver
{
    Q_OBJECT
public:
    explicit SspdDriverM1(QObject *parent = nullptr);
    ~SspdDriverM1() override;

    DriverPropertyReadOnly<VT4SDM1_Data_t> *data() const { return m_data.get(); }
    DriverProperty<float> *current() const { return m_current.get(); }                       ///< A
    DriverPropertyReadOnly<float> *currentMonitor() const { return m_currentMonitor.get(); } ///< A
    DriverPropertyReadOnly<float> *voltage() const { return m_voltage.get(); }               ///< V
    DriverPropertyReadOnly<float> *counts() const { return m_counts.get(); } ///< pulses per time constant
    DriverProperty<VT4SDM1_Status_t> *status() const { return m_status.get(); }
    DriverPropertyWriteOnly<bool> *shortEnable() const { return m_shortEnable.get(); }
    DriverPropertyWriteOnly<bool> *amplifierEnable() const { return m_amplifierEnable.get(); }
    DriverPropertyWriteOnly<bool> *highFrequencyModeEnable() const { return m_highFrequencyModeEnable.get(); }
    DriverPropertyWriteOnly<bool> *cmpLatchEnable() const { return m_cmpLatchEnable.get(); }
    DriverPropertyWriteOnly<bool> *counterEnable() const { return m_counterEnable.get(); }
    DriverPropertyWriteOnly<bool> *autoResetEnable() const { return m_autoResetEnable.get(); }
    DriverProperty<VT4SDM1_Param_t> *params() const { return m_params.get(); }
    DriverProperty<float> *cmpReferenceLevel() const { return m_cmpReferenceLevel.get(); }   ///< V
    DriverProperty<float> *timeConst() const { return m_timeConst.get(); }                   ///< s
    DriverProperty<float> *autoResetThreshold() const { return m_autoResetThreshold.get(); } ///< V
    DriverProperty<float> *autoResetTimeOut() const { return m_autoResetTimeOut.get(); }     ///< s
    DriverProperty<unsigned int> *autoResetAlarmsCounts() const { return m_autoResetAlarmsCounts.get(); }
    DriverProperty<VT4SDM1_EEPROM_Const_t> *eepromConst() const { return m_eepromConst.get(); }
    DriverProperty<pair_t<float>> *currentAdcCoeff() const { return m_currentAdcCoeff.get(); }
    DriverProperty<pair_t<float>> *currentMonitorAdcCoeff() const { return m_currentMonitorAdcCoeff.get(); }
    DriverProperty<pair_t<float>> *voltageAdcCoeff() const { return m_voltageAdcCoeff.get(); }
    DriverProperty<pair_t<float>> *currentDacCoeff() const { return m_currentDacCoeff.get(); }
    DriverProperty<pair_t<float>> *cmpReferenceCoeff() const { return m_cmpReferenceCoeff.get(); }
    DriverProperty<float> *pulseWidthCoeff() const { return m_pulseWidthCoeff.get(); }
    DriverProperty<bool> *PIDEnableStatus() const { return m_PIDEnableStatus.get(); }

signals:
    void dataUpdated(VT4SDM1_Data_t data);
    void paramsUpdated(VT4SDM1_Param_t params);
    void eepromConstUpdated(VT4SDM1_EEPROM_Const_t eeprom);

public slots:
    /// Caches `data` as the value of data() without bus traffic and publishes it.
    void updateData(const VT4SDM1_Data_t &data);
    /// Republishes the cached data record with `status` as its status byte; status() is left as is.
    void updateStatus(const VT4SDM1_Status_t &status);
    void updateParams(const VT4SDM1_Param_t &params);
    void updateEEPROM(const VT4SDM1_EEPROM_Const_t &eeprom);

private:
    void subscribeCoherenceCallbacks();

    std::unique_ptr<DriverPropertyReadOnly<VT4SDM1_Data_t>> m_data;
    std::unique_ptr<DriverProperty<float>> m_current;
    std::unique_ptr<DriverPropertyReadOnly<float>> m_currentMonitor;
    std::unique_ptr<DriverPropertyReadOnly<float>> m_voltage;
    std::unique_ptr<DriverPropertyReadOnly<float>> m_counts;
    std::unique_ptr<DriverProperty<VT4SDM1_Status_t>> m_status;
    std::unique_ptr<DriverPropertyWriteOnly<bool>> m_shortEnable;
    std::unique_ptr<DriverPropertyWriteOnly<bool>> m_amplifierEnable;
    std::unique_ptr<DriverPropertyWriteOnly<bool>> m_highFrequencyModeEnable;
    std::unique_ptr<DriverPropertyWriteOnly<bool>> m_cmpLatchEnable;
    std::unique_ptr<DriverPropertyWriteOnly<bool>> m_counterEnable;
    std::unique_ptr<DriverPropertyWriteOnly<bool>> m_autoResetEnable;
    std::unique_ptr<DriverProperty<VT4SDM1_Param_t>> m_params;
    std::unique_ptr<DriverProperty<float>> m_cmpReferenceLevel;
    std::unique_ptr<DriverProperty<float>> m_timeConst;
    std::unique_ptr<DriverProperty<float>> m_autoResetThreshold;
    std::unique_ptr<DriverProperty<float>> m_autoResetTimeOut;
    std::unique_ptr<DriverProperty<unsigned int>> m_autoResetAlarmsCounts;
    std::unique_ptr<DriverProperty<VT4SDM1_EEPROM_Const_t>> m_eepromConst;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_currentAdcCoeff;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_currentMonitorAdcCoeff;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_voltageAdcCoeff;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_currentDacCoeff;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_cmpReferenceCoeff;
    std::unique_ptr<DriverProperty<float>> m_pulseWidthCoeff;
    std::unique_ptr<DriverProperty<bool>> m_PIDEnableStatus;
};
