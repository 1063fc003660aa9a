#pragma once

#include "SimulatedModule.h"
#include "TemperatureTable.h"
#include "VT4TDM1Records.h"

#include <array>
#include <functional>

class CryostatModel;
class SimClock;

/// The four-channel temperature module: four resistance thermometers (three on the cryostat
/// stage, channel 3 on the sorption pump), each with its own excitation current and calibration
/// table, per-channel default parameters and calibration coefficients, the switcher mode, and
/// four relays. Relay 1 heats the sorption pump, relay 2 closes its heat switch; the others are
/// plain outputs. Relays named stuck in the description ignore every command.
///
/// Requests that carry a channel take 0..3, or 0xFF for all channels at once; any other channel
/// or length is refused (no reply). Coefficients, default parameters and tables are what
/// write-EEPROM keeps; at power-on a channel whose default flag is set is excited with the
/// default value in amperes, any other channel not at all.
class SimulatedTempM1 : public SimulatedModule
{
public:
    enum Code : quint8
    {
        GetTemperature = 17,
        SetCurrent = 20,
        GetVoltage = 21,
        GetEepromCoeffs = 26,
        SetEepromCoeffs = 27,
        GetTableChunk = 40,
        SetTableChunk = 41,
        GetRelays = 42,
        SetRelays = 43,
        GetSwitcherMode = 44,
        SetSwitcherMode = 45,
        GetDefaultParams = 46,
        SetDefaultParams = 47,
    };

    static constexpr quint8 HeaterRelay = 0x01;     ///< relay 1, state bit 0: sorption pump heater
    static constexpr quint8 HeatSwitchRelay = 0x02; ///< relay 2, state bit 1: pump heat switch
    static constexpr int SwitcherModeCount = 4;     ///< the module knows modes 0..3

    SimulatedTempM1(const ModuleDescription &description, const SimClock &clock, CryostatModel &cryostat);
    ~SimulatedTempM1() override;

    void reset() override;

protected:
    std::optional<QByteArray> handleModuleRequest(quint8 command, const QByteArray &data) override;
    void shutDown() override;
    QByteArray eepromImage() const override;
    void loadEeprom(const QByteArray &image) override;

private:
    using Coefficients = std::array<TDM1_EepromCoeff, VT4TDM1_Channels>;
    using DefaultParams = std::array<DefaultParam, VT4TDM1_Channels>;

    /// Answers [channel] with the float `value(channel)`, or [0xFF] with all four.
    static std::optional<QByteArray> perChannel(const QByteArray &request,
                                                const std::function<float(int)> &value);
    static QByteArray defaultParamsImage(const DefaultParams &params);
    static std::optional<DefaultParams> defaultParamsFrom(const QByteArray &image);

    float voltage(int channel);
    float temperature(int channel);
    bool setCurrent(const QByteArray &request);
    std::optional<QByteArray> handleTableChunk(quint8 command, const QByteArray &data);
    void setRelays(quint8 relays);
    void applyDefaultCurrents();

    const SimClock &m_clock;
    CryostatModel &m_cryostat;
    std::array<float, VT4TDM1_Channels> m_currents{}; ///< excitation per channel, A
    std::array<TemperatureTable, VT4TDM1_Channels> m_tables;
    Coefficients m_coefficients;
    DefaultParams m_defaultParams;
    qint32 m_switcherMode = 0;
    quint8 m_relays = 0; ///< states of relays 1..4 in bits 0..3
};
