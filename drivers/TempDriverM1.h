#pragma once

#include "CommonDriver.h"
#include "DriverProperty.h"
#include "DriverTransferProperty.h"
#include "VT4TDM1Records.h"

#include <memory>

/// Driver of the temperature module, modification 1 ("VT4TDM1"): four sensor channels read and
/// set one by one or all at once, per-channel default parameters, calibration coefficients and
/// 100-point calibration tables, the relay byte and the switcher mode. Channels are 0..3; a
/// channel above 3 reads as zero and is never sent.
class TempDriverM1 : public CommonDriver
{
    Q_OBJECT
public:
    static constexpr int ReadingAttempts = 1;        ///< channel voltages, temperatures, currents
    static constexpr int SettingsAttempts = 5;       ///< default parameters, coefficients, table writes
    static constexpr int TableReceiveAttempts = 10;  ///< per table chunk read
    static constexpr unsigned char StageChannel = 0; ///< the thermometer on the cold stage
    static constexpr int DefaultParamsWireSize = VT4TDM1_Channels * DefaultParam::WireSize;       ///< bytes
    static constexpr int EepromCoeffsWireSize = VT4TDM1_Channels * int(sizeof(TDM1_EepromCoeff)); ///< bytes

    explicit TempDriverM1(QObject *parent = nullptr);
    ~TempDriverM1() override;

    DriverProperty<cRelaysStatus> *relaysStatus() const { return m_relaysStatus.get(); }
    DriverProperty<cmd::enum_VT4TDM1_SwitcherMode> *switcherMode() const { return m_switcherMode.get(); }

    /// Last read sensor voltage of `channel`, V.
    float currentVoltage(unsigned char channel) const;
    /// Last read temperature of `channel`, K.
    float currentTemperature(unsigned char channel) const;
    /// Read all four channels at once; false (nothing stored) on no reply or a wrong length.
    bool updateVoltage();
    bool updateTemperature();
    /// Read one channel; false without bus traffic for a channel above 3.
    bool updateVoltage(unsigned char channel);
    bool updateTemperature(unsigned char channel);
    /// Sets the sensor current of `channel` (0..3, or VT4TDM1_AllChannels), A; true when
    /// acknowledged, false without sending for any other channel number.
    bool setCurrent(unsigned char channel, float current);
    /// Sets the sensor current of every channel, A.
    bool setCurrent(float current);

    DefaultParam defaultParam(unsigned char channel) const;
    void setDefaultParam(int channel, DefaultParam param);
    bool writeDefaultParams();
    /// False (nothing stored) on no reply or a reply that is not exactly 20 bytes.
    bool readDefaultParams();

    TDM1_EepromCoeff eepromCoeff(unsigned char channel) const;
    void setEepromCoeff(unsigned char channel, TDM1_EepromCoeff coeff);
    bool writeEepromCoeffs();
    /// False (nothing stored) on no reply or a reply that is not exactly 64 bytes.
    bool readEepromCoeffs();

    /// A zero point when channel > 3 or index > 99.
    VT4TDM0V1_Temp_Table_Item_t tempTableItem(unsigned char channel, unsigned char index) const;
    void setTempTableItem(unsigned char channel, unsigned char index, VT4TDM0V1_Temp_Table_Item_t item);
    /// The channel's VT4TDM0_TempTablePoints points; null above channel 3.
    VT4TDM0V1_Temp_Table_Item_t *tempTable(unsigned char channel);
    /// Copies VT4TDM0_TempTablePoints points from `items`; ignored above channel 3 or for null.
    void setTempTable(unsigned char channel, const VT4TDM0V1_Temp_Table_Item_t *items);
    /// Writes the four tables chunk by chunk; stops at the first chunk not acknowledged.
    bool sendTempTables();
    /// Reads the four tables chunk by chunk; stops at the first chunk that does not arrive whole.
    bool receiveTempTables();

private:
    static bool isChannel(int channel) { return channel >= 0 && channel < VT4TDM1_Channels; }
    /// Reads the floats of all channels (VT4TDM1_AllChannels) or of one into `values`.
    bool readChannelFloats(DriverTransferProperty *transfer, unsigned char channel, float *values);

    std::unique_ptr<DriverProperty<cRelaysStatus>> m_relaysStatus;
    std::unique_ptr<DriverProperty<cmd::enum_VT4TDM1_SwitcherMode>> m_switcherMode;
    float m_voltages[VT4TDM1_Channels] = {}; ///< V
    std::unique_ptr<DriverTransferProperty> m_voltageTransfer;
    std::unique_ptr<DriverTransferProperty> m_currentTransfer;
    float m_temperatures[VT4TDM1_Channels] = {}; ///< K
    std::unique_ptr<DriverTransferProperty> m_temperatureTransfer;
    DefaultParam m_defaultParams[VT4TDM1_Channels] = {};
    std::unique_ptr<DriverTransferProperty> m_defaultParamsTransfer;
    std::unique_ptr<DriverTransferProperty> m_eepromCoeffsTransfer;
    TDM1_EepromCoeff m_eepromCoeffs[VT4TDM1_Channels] = {};
    std::unique_ptr<DriverTransferProperty> m_tempTablesTransfer;
    VT4TDM0V1_Temp_Table_Item_t m_tempTables[VT4TDM1_Channels][VT4TDM0_TempTablePoints] = {};
};
