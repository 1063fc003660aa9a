#pragma once

#include "CommonDriver.h"
#include "DriverCommand.h"
#include "DriverProperty.h"
#include "DriverPropertyReadOnly.h"
#include "VT4HTM0Records.h"
#include "pair_t.h"

#include <memory>

/// Driver of the heater module ("VT4HTM0"): a heater current with a programmed pulse shape
/// (maximum current reached over a front edge, held, brought down over a rear edge), a relay
/// output, a mode byte, and the start and emergency-stop commands. Keeps the data and
/// calibration records coherent with the single values that mirror their fields.
class HeaterDriverM0 : public CommonDriver
{
    Q_OBJECT
public:
    explicit HeaterDriverM0(QObject *parent = nullptr);
    ~HeaterDriverM0() override;

    DriverPropertyReadOnly<VT4HTM0V0_Data_t> *data() const { return m_data.get(); }
    DriverProperty<float> *current() const { return m_current.get(); } ///< A
    DriverProperty<char> *relayStatus() const { return m_relayStatus.get(); }
    DriverProperty<char> *mode() const { return m_mode.get(); }
    DriverProperty<VT4HT0V0_EEPROM_Const_t> *eepromConst() const { return m_eepromConst.get(); }
    DriverProperty<pair_t<float>> *currentAdcCoeff() const { return m_currentAdcCoeff.get(); }
    DriverProperty<pair_t<float>> *currentDacCoeff() const { return m_currentDacCoeff.get(); }
    DriverProperty<float> *maximumCurrent() const { return m_maximumCurrent.get(); } ///< A
    DriverProperty<float> *frontEdgeTime() const { return m_frontEdgeTime.get(); }   ///< s
    DriverProperty<float> *holdTime() const { return m_holdTime.get(); }             ///< s
    DriverProperty<float> *rearEdgeTime() const { return m_rearEdgeTime.get(); }     ///< s
    DriverCommand *startHeating() const { return m_startHeating.get(); }
    DriverCommand *emergencyStop() const { return m_emergencyStop.get(); }

    /// Writes the heater current when it lies from 0 to the module's maximum current (the
    /// calibration record is read first if it never was); false, with nothing sent, for any other
    /// value, and false when the module does not acknowledge.
    bool setCurrentWithinLimits(float amperes, int attempts);

signals:
    void dataUpdated(VT4HTM0V0_Data_t data);
    void eepromConstUpdated(VT4HT0V0_EEPROM_Const_t eeprom);

public slots:
    /// Caches `data` as the value of data() without bus traffic and publishes it.
    void updateData(const VT4HTM0V0_Data_t &data);
    /// Caches `eeprom` as the value of eepromConst() without bus traffic and publishes it.
    void updateEEPROM(const VT4HT0V0_EEPROM_Const_t &eeprom);

private:
    void subscribeCoherenceCallbacks();

    std::unique_ptr<DriverPropertyReadOnly<VT4HTM0V0_Data_t>> m_data;
    std::unique_ptr<DriverProperty<float>> m_current;
    std::unique_ptr<DriverProperty<char>> m_relayStatus;
    std::unique_ptr<DriverProperty<char>> m_mode;
    std::unique_ptr<DriverProperty<VT4HT0V0_EEPROM_Const_t>> m_eepromConst;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_currentAdcCoeff;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_currentDacCoeff;
    std::unique_ptr<DriverProperty<float>> m_maximumCurrent;
    std::unique_ptr<DriverProperty<float>> m_frontEdgeTime;
    std::unique_ptr<DriverProperty<float>> m_holdTime;
    std::unique_ptr<DriverProperty<float>> m_rearEdgeTime;
    std::unique_ptr<DriverCommand> m_startHeating;
    std::unique_ptr<DriverCommand> m_emergencyStop;
    bool m_calibrationRead = false; ///< the calibration record arrived at least once
};
