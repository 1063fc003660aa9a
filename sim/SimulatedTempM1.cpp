#include "SimulatedTempM1.h"
#include "ByteImage.h"
#include "CryostatModel.h"
#include "SimClock.h"

#include <algorithm>
#include <cmath>

namespace {
/// How far above the cold plate the sensors of channels 0..2 sit, K (plate, detector mount,
/// shield flange); channel 3 sits on the sorption pump.
constexpr std::array<double, VT4TDM1_Channels> ChannelOffsets{0.0, 0.12, 0.35, 0.0};
constexpr int PumpChannel = 3;
constexpr int ChannelByteSize = 1;
constexpr quint8 StateBits = 0x0F; ///< relay states in the low nibble, change mask in the high one
constexpr int MaskShift = 4;
constexpr int CoefficientsSize = VT4TDM1_Channels * int(sizeof(TDM1_EepromCoeff));
constexpr int DefaultParamsSize = VT4TDM1_Channels * DefaultParam::WireSize;

/// Factory coefficients of every channel: current DAC (codes per A) and voltage ADC (V per code).
constexpr TDM1_EepromCoeff FactoryCoefficient{{6.5536e8f, 0.0f}, {3.0518e-6f, 0.0f}};
constexpr DefaultParam FactoryDefault{true, float(ResistanceThermometer::NominalCurrent)};

bool isChannel(int channel)
{
    return channel >= 0 && channel < VT4TDM1_Channels;
}
} // namespace

SimulatedTempM1::SimulatedTempM1(const ModuleDescription &description, const SimClock &clock,
                                 CryostatModel &cryostat)
    : SimulatedModule(description), m_clock(clock), m_cryostat(cryostat)
{
    reset();
}

SimulatedTempM1::~SimulatedTempM1()
{
    // A module taken out of the crate no longer powers the pump heater or holds the heat switch.
    if (m_relays & (HeaterRelay | HeatSwitchRelay))
        setRelays(0);
}

void SimulatedTempM1::reset()
{
    m_coefficients.fill(FactoryCoefficient);
    m_defaultParams.fill(FactoryDefault);
    for (TemperatureTable &table : m_tables)
        table.restoreFactory();
    loadEeprom(eepromContent());
    applyDefaultCurrents();
    m_switcherMode = 0;
    setRelays(0);
}

void SimulatedTempM1::shutDown()
{
    setRelays(0); // safe state: every relay released, the heater off
}

void SimulatedTempM1::applyDefaultCurrents()
{
    for (int channel = 0; channel < VT4TDM1_Channels; ++channel) {
        const DefaultParam &param = m_defaultParams[size_t(channel)];
        const float current = param.flag && std::isfinite(param.value) ? param.value : 0.0f;
        m_currents[size_t(channel)] = std::clamp(current, 0.0f, float(ResistanceThermometer::MaxCurrent));
    }
}

QByteArray SimulatedTempM1::defaultParamsImage(const DefaultParams &params)
{
    QByteArray image;
    for (const DefaultParam &param : params)
        param.appendWireImage(image);
    return image;
}

std::optional<SimulatedTempM1::DefaultParams> SimulatedTempM1::defaultParamsFrom(const QByteArray &image)
{
    if (image.size() != DefaultParamsSize)
        return std::nullopt;
    DefaultParams params;
    for (int channel = 0; channel < VT4TDM1_Channels; ++channel)
        params[size_t(channel)] =
            DefaultParam::fromWireImage(image.constData() + channel * DefaultParam::WireSize);
    return params;
}

QByteArray SimulatedTempM1::eepromImage() const
{
    QByteArray image = ByteImage::of(m_coefficients) + defaultParamsImage(m_defaultParams);
    for (const TemperatureTable &table : m_tables)
        image += table.image();
    return image;
}

void SimulatedTempM1::loadEeprom(const QByteArray &image)
{
    if (image.size() != CoefficientsSize + DefaultParamsSize + VT4TDM1_Channels * TemperatureTable::ImageSize)
        return;
    m_coefficients = *ByteImage::to<Coefficients>(image.left(CoefficientsSize));
    m_defaultParams = *defaultParamsFrom(image.mid(CoefficientsSize, DefaultParamsSize));
    for (int channel = 0; channel < VT4TDM1_Channels; ++channel)
        m_tables[size_t(channel)].setImage(
            image.mid(CoefficientsSize + DefaultParamsSize + channel * TemperatureTable::ImageSize,
                      TemperatureTable::ImageSize));
}

float SimulatedTempM1::voltage(int channel)
{
    const double kelvin = channel == PumpChannel
                              ? m_cryostat.readPumpTemperature()
                              : m_cryostat.readTemperature() + ChannelOffsets[size_t(channel)];
    return static_cast<float>(ResistanceThermometer::voltage(m_currents[size_t(channel)], kelvin));
}

float SimulatedTempM1::temperature(int channel)
{
    return static_cast<float>(m_tables[size_t(channel)].temperatureAt(voltage(channel)));
}

std::optional<QByteArray> SimulatedTempM1::perChannel(const QByteArray &request,
                                                      const std::function<float(int)> &value)
{
    if (request.size() != ChannelByteSize)
        return std::nullopt;
    const int channel = quint8(request.at(0));
    if (isChannel(channel))
        return ByteImage::of(value(channel));
    if (channel != VT4TDM1_AllChannels)
        return std::nullopt;
    QByteArray all;
    for (int each = 0; each < VT4TDM1_Channels; ++each)
        all += ByteImage::of(value(each));
    return all;
}

bool SimulatedTempM1::setCurrent(const QByteArray &request)
{
    const auto amperes = ByteImage::to<float>(request.mid(ChannelByteSize));
    const int channel = request.isEmpty() ? -1 : quint8(request.at(0));
    if (!amperes || (!isChannel(channel) && channel != VT4TDM1_AllChannels))
        return false;
    if (std::isnan(*amperes))
        return true; // acknowledged, nothing to set
    const float current = std::clamp(*amperes, 0.0f, float(ResistanceThermometer::MaxCurrent));
    if (isChannel(channel))
        m_currents[size_t(channel)] = current;
    else
        m_currents.fill(current);
    return true;
}

std::optional<QByteArray> SimulatedTempM1::handleTableChunk(quint8 command, const QByteArray &data)
{
    const int channel = data.isEmpty() ? -1 : quint8(data.at(0));
    if (!isChannel(channel))
        return std::nullopt;
    TemperatureTable &table = m_tables[size_t(channel)];
    const QByteArray chunk = data.mid(ChannelByteSize);
    if (command == GetTableChunk)
        return table.readChunk(chunk);
    return ByteImage::acknowledgement(table.writeChunk(chunk));
}

void SimulatedTempM1::setRelays(quint8 relays)
{
    m_cryostat.advanceTo(m_clock.seconds()); // the heater switches now, not at the last reading
    // A stuck relay stays as it is, whatever the command.
    const quint8 stuck = description().stuckRelays;
    m_relays = static_cast<quint8>(((relays & ~stuck) | (m_relays & stuck)) & StateBits);
    m_cryostat.setHeaterOn(m_relays & HeaterRelay);
    m_cryostat.setHeatSwitchClosed(m_relays & HeatSwitchRelay);
}

std::optional<QByteArray> SimulatedTempM1::handleModuleRequest(quint8 command, const QByteArray &data)
{
    m_cryostat.advanceTo(m_clock.seconds());
    switch (command) {
    case GetTemperature:
        return perChannel(data, [this](int channel) { return temperature(channel); });
    case GetVoltage:
        return perChannel(data, [this](int channel) { return voltage(channel); });
    case SetCurrent:
        return ByteImage::acknowledgement(setCurrent(data));
    case GetEepromCoeffs:
        return ByteImage::of(m_coefficients);
    case SetEepromCoeffs:
        return ByteImage::apply<Coefficients>(data,
                                              [this](const Coefficients &value) { m_coefficients = value; });
    case GetTableChunk:
    case SetTableChunk:
        return handleTableChunk(command, data);
    case GetRelays:
        return ByteImage::of(m_relays);
    case SetRelays:
        return ByteImage::apply<quint8>(data, [this](quint8 value) {
            const quint8 mask = value >> MaskShift;
            setRelays(static_cast<quint8>((m_relays & ~mask) | (value & mask)));
        });
    case GetSwitcherMode:
        return ByteImage::of(m_switcherMode);
    case SetSwitcherMode: {
        const auto mode = ByteImage::to<qint32>(data);
        const bool known = mode && *mode >= 0 && *mode < SwitcherModeCount;
        if (known)
            m_switcherMode = *mode;
        return ByteImage::acknowledgement(known);
    }
    case GetDefaultParams:
        return defaultParamsImage(m_defaultParams);
    case SetDefaultParams: {
        const auto params = defaultParamsFrom(data);
        if (params)
            m_defaultParams = *params;
        return ByteImage::acknowledgement(params.has_value());
    }
    default:
        return std::nullopt;
    }
}
