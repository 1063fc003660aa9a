#pragma once

#include "CommonDriver.h"
#include "DriverProperty.h"
#include "DriverPropertyReadOnly.h"
#include "DriverTransferProperty.h"
#include "VT4TDM0Records.h"
#include "pair_t.h"

#include <memory>

/// Driver of the temperature module, modification 0 ("VT4TDM0"): one temperature sensor with
/// its excitation current, a pressure sensor with two inputs, the commutator, six calibration
/// pairs and a 100-point sensor calibration table. Keeps the data and calibration records
/// coherent with the single values that mirror their fields.
class TempDriverM0 : public CommonDriver
{
    Q_OBJECT
public:
    static constexpr int TableChunkAttempts = 5; ///< per chunk, each up to the answer time-out

    explicit TempDriverM0(QObject *parent = nullptr);
    ~TempDriverM0() override;

    DriverPropertyReadOnly<VT4TDM0V1_Data_t> *data() const { return m_data.get(); }
    DriverPropertyReadOnly<float> *temperature() const { return m_temperature.get(); }             ///< K
    DriverPropertyReadOnly<float> *pressure() const { return m_pressure.get(); }                   ///< mbar
    DriverProperty<float> *tempSensorCurrent() const { return m_tempSensorCurrent.get(); }         ///< A
    DriverPropertyReadOnly<float> *tempSensorVoltage() const { return m_tempSensorVoltage.get(); } ///< V
    DriverPropertyReadOnly<float> *pressSensorVoltageP() const { return m_pressSensorVoltageP.get(); } ///< V
    DriverPropertyReadOnly<float> *pressSensorVoltageN() const { return m_pressSensorVoltageN.get(); } ///< V
    DriverProperty<bool> *commutator() const { return m_commutator.get(); }
    DriverProperty<VT4TDM0V1_EEPROM_Const_t> *eepromConst() const { return m_eepromConst.get(); }
    DriverProperty<pair_t<float>> *tempSensorCurrentAdcCoeff() const
    {
        return m_tempSensorCurrentAdcCoeff.get();
    }
    DriverProperty<pair_t<float>> *tempSensorCurrentDacCoeff() const
    {
        return m_tempSensorCurrentDacCoeff.get();
    }
    DriverProperty<pair_t<float>> *tempSensorVoltageCoeff() const { return m_tempSensorVoltageCoeff.get(); }
    DriverProperty<pair_t<float>> *pressSensorVoltagePCoeff() const
    {
        return m_pressSensorVoltagePCoeff.get();
    }
    DriverProperty<pair_t<float>> *pressSensorVoltageNCoeff() const
    {
        return m_pressSensorVoltageNCoeff.get();
    }
    DriverProperty<pair_t<float>> *pressSensorCoeff() const { return m_pressSensorCoeff.get(); }

    /// The calibration table held by the driver, VT4TDM0_TempTablePoints entries; fill it before
    /// sendTempTable(), read it after receiveTempTable().
    VT4TDM0V1_Temp_Table_Item_t *tempTable() { return m_tempTable; }

    /// Writes the table to the module in chunks of ten points; true when every chunk was
    /// acknowledged. Stops at the first chunk that is not.
    bool sendTempTable();
    /// Reads the table from the module; true when every chunk arrived whole. Stops at the first
    /// chunk that does not; the chunks read before it stay stored.
    bool receiveTempTable();

signals:
    void dataUpdated(VT4TDM0V1_Data_t data);
    void eepromConstUpdated(VT4TDM0V1_EEPROM_Const_t eeprom);

public slots:
    /// Caches `data` as the value of data() without bus traffic and publishes it.
    void updateData(VT4TDM0V1_Data_t data);
    /// Caches `eeprom` as the value of eepromConst() without bus traffic and publishes it.
    void updateEEPROM(VT4TDM0V1_EEPROM_Const_t eeprom);

private:
    void subscribeCoherenceCallbacks();

    std::unique_ptr<DriverPropertyReadOnly<VT4TDM0V1_Data_t>> m_data;
    std::unique_ptr<DriverPropertyReadOnly<float>> m_temperature;
    std::unique_ptr<DriverPropertyReadOnly<float>> m_pressure;
    std::unique_ptr<DriverProperty<float>> m_tempSensorCurrent;
    std::unique_ptr<DriverPropertyReadOnly<float>> m_tempSensorVoltage;
    std::unique_ptr<DriverPropertyReadOnly<float>> m_pressSensorVoltageP;
    std::unique_ptr<DriverPropertyReadOnly<float>> m_pressSensorVoltageN;
    std::unique_ptr<DriverProperty<bool>> m_commutator;
    std::unique_ptr<DriverProperty<VT4TDM0V1_EEPROM_Const_t>> m_eepromConst;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_tempSensorCurrentAdcCoeff;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_tempSensorCurrentDacCoeff;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_tempSensorVoltageCoeff;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_pressSensorVoltagePCoeff;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_pressSensorVoltageNCoeff;
    std::unique_ptr<DriverProperty<pair_t<float>>> m_pressSensorCoeff;
    std::unique_ptr<DriverTransferProperty> m_tempTableTransfer;
    VT4TDM0V1_Temp_Table_Item_t m_tempTable[VT4TDM0_TempTablePoints] = {};
};
