#pragma once

#include "CommonDriver.h"
#include "DriverProperty.h"
#include "DriverPropertyReadOnly.h"
#include "VT4CLM0Records.h"
#include "pair_t.h"

#include <memory>

/// Driver of the SIS control-line module ("VT4CLM0"): a current source with a short switch and
/// a PID regulation switch. Keeps the data and calibration records coherent with the single
/// values that mirror their fields. Currents in A.
class SisControlLineDriverM0 : public CommonDriver
{
    Q_OBJECT
public:
    explicit SisControlLineDriverM0(QObject *parent = nullptr);
    ~SisControlLineDriverM0() override;

    DriverPropertyReadOnly<VT4CLM0V0_Data_t> *data() const { return m_data.get(); }
    DriverProperty<float> *current() const { return m_current.get(); }
    DriverProperty<bool> *shortEnable() const { return m_shortEnable.get(); }
    DriverProperty<VT4CLM0V0_EEPROM_Const_t> *eepromConst() const { return m_eepromConst.get(); }
    DriverProperty<pair_t<float>> *currentAdcCoeff() const { return m_currentAdcCoeff.get(); }
    DriverProperty<pair_t<float>> *currentDacCoeff() const { return m_currentDacCoeff.get(); }
    DriverProperty<pair_t<float>> *currentLimits() const { return m_currentLimits.get(); }
    DriverProperty<float> *currentStep() const { return m_currentStep.get(); }
    DriverProperty<bool> *pidEnable() const { return m_pidEnable.get(); }

    /// Writes the current when it lies within the module's limits (the calibration record is
    /// read first if it never was); false, with nothing sent, for any other value, and false
    /// when the module does not acknowledge.
    bool setCurrentWithinLimits(float amperes, int attempts);

signals:
    void dataUpdated(VT4CLM0V0_Data_t data);
    void eepromConstUpdated(VT4CLM0V0_EEPROM_Const_t eeprom);

public slots:
    /// Caches `data` as the value of data() without bus traffic and publishes it.
    void updateData(const VT4CLM0V0_Data_t &data);
    /// Caches `eeprom` as the value of eepromConst() without bus traffic and publishes it.
    void updateEEPROM(const VT4CLM0V0_EEPROM_Const_t &eeprom);

private:
    void subscribeCoherenceCallbacks();

    std::unique_ptr<DriverPropertyReadOnly<VT4CLM0V0_Data_t>> m_data;
    std::unique_ptr<DriverProperty<float>> m_current;
    std::unique_ptr<DriverProperty<bool>> m_shortEnable;
    std::unique_ptr<DriverProperty<VT4CLM0V0_EEPROM_Const_t>> m_eepromConst;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_currentAdcCoeff;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_currentDacCoeff;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_currentLimits;
    std::unique_ptr<DriverProperty<float>> m_currentStep;
    std::unique_ptr<DriverProperty<bool>> m_pidEnable;
    bool m_calibrationRead = false; ///< the calibration record arrived at least once
};
