#include "SimulatedSspdM0.h"
#include "ByteImage.h"
#include "SimClock.h"

#include <iterator>

namespace {
constexpr int SwitchCount = 6;      ///< setters 23..28 drive status bits 1..6
constexpr quint8 InitedBit = 0x01;  ///< status bit 0
constexpr quint8 ShortedBit = 0x02; ///< status bit 1
/// After power-on: initialised, detector shorted, pulse chain off.
const VT4SDM0_Status_t PowerOnStatus = VT4SDM0_Status_t::fromByte(InitedBit | ShortedBit);

/// Factory calibration: (slope, intercept) of each converter, raw codes to SI units and back.
constexpr VT4SDM0V1_EEPROM_Const_t FactoryConstants = {
    {6.1035e-9f, -1.2e-8f}, // current ADC, A per code
    {3.0518e-5f, 0.0f},     // voltage ADC, V per code
    {1.6384e8f, 32768.0f},  // current DAC, codes per A
    {2.0e4f, 0.0f},         // comparator reference DAC, codes per V
};

struct ParamField
{
    quint8 getter;
    float VT4SDM0V1_Param_t::*field;
};
constexpr ParamField ParamFields[] = {
    {SimulatedSspdM0::GetCmpReferenceLevel, &VT4SDM0V1_Param_t::cmpReferenceLevel},
    {SimulatedSspdM0::GetTimeConst, &VT4SDM0V1_Param_t::timeConst},
    {SimulatedSspdM0::GetAutoResetThreshold, &VT4SDM0V1_Param_t::autoResetThreshold},
    {SimulatedSspdM0::GetAutoResetTimeOut, &VT4SDM0V1_Param_t::autoResetTimeOut},
};

struct CoeffField
{
    quint8 getter;
    pair_t<float> VT4SDM0V1_EEPROM_Const_t::*field;
};
constexpr CoeffField CoeffFields[] = {
    {SimulatedSspdM0::GetCurrentAdcCoeff, &VT4SDM0V1_EEPROM_Const_t::currentAdcCoeff},
    {SimulatedSspdM0::GetVoltageAdcCoeff, &VT4SDM0V1_EEPROM_Const_t::voltageAdcCoeff},
    {SimulatedSspdM0::GetCurrentDacCoeff, &VT4SDM0V1_EEPROM_Const_t::currentDacCoeff},
    {SimulatedSspdM0::GetCmpReferenceCoeff, &VT4SDM0V1_EEPROM_Const_t::cmpReferenceCoeff},
};

bool isFieldCode(quint8 command, quint8 getter)
{
    return command == getter || command == getter + 1;
}
} // namespace

SimulatedSspdM0::SimulatedSspdM0(const ModuleDescription &description, const SimClock &clock)
    : SimulatedModule(description), m_clock(clock), m_physics(physicsSettings(description)),
      m_lastCatchUp(clock.seconds()), m_status(PowerOnStatus), m_eeprom(FactoryConstants)
{
}

SspdPhysics::Settings SimulatedSspdM0::physicsSettings(const ModuleDescription &description)
{
    SspdPhysics::Settings settings;
    settings.criticalCurrent = description.criticalCurrent;
    settings.lightLevel = description.lightLevel;
    settings.darkCountsAtCritical = description.darkCountsAtCritical;
    settings.seed = description.seed != 0 ? description.seed : static_cast<quint64>(description.address) + 1;
    return settings;
}

void SimulatedSspdM0::reset()
{
    m_physics = SspdPhysics(physicsSettings(description()));
    m_lastCatchUp = m_clock.seconds();
    setStatus(PowerOnStatus);
    m_pidEnabled = false;
    m_eeprom = FactoryConstants;
    loadEeprom(eepromContent());
}

void SimulatedSspdM0::initialize()
{
    m_status.inited = 1;
}

void SimulatedSspdM0::shutDown()
{
    // Safe state: no bias, detector shorted, pulse chain off, waiting for init.
    m_physics.setBiasCurrent(0);
    setStatus(VT4SDM0_Status_t::fromByte(ShortedBit));
}

QByteArray SimulatedSspdM0::eepromImage() const
{
    return ByteImage::of(m_eeprom);
}

void SimulatedSspdM0::loadEeprom(const QByteArray &image)
{
    if (const auto constants = ByteImage::to<VT4SDM0V1_EEPROM_Const_t>(image))
        m_eeprom = *constants;
}

void SimulatedSspdM0::catchUp()
{
    const double now = m_clock.seconds();
    m_physics.advance(now - m_lastCatchUp);
    m_lastCatchUp = now;
}

void SimulatedSspdM0::setStatus(const VT4SDM0_Status_t &status)
{
    m_status = status;
    m_status.error = 0; // the module's own report; a write cannot set it
    SspdPhysics::Switches switches;
    switches.shorted = status.shortEnable;
    switches.amplifierOn = status.amplifierEnable;
    switches.rfKeyToComparator = status.rfKeyEnable;
    switches.comparatorOn = status.cmpLatchEnable;
    switches.counterOn = status.counterEnable;
    switches.autoResetOn = status.autoResetEnable;
    m_physics.setSwitches(switches);
}

VT4SDM0V1_Param_t SimulatedSspdM0::params() const
{
    return {static_cast<float>(m_physics.triggerLevel()), static_cast<float>(m_physics.timeConst()),
            static_cast<float>(m_physics.autoResetThreshold()),
            static_cast<float>(m_physics.autoResetTimeOut()), m_physics.autoResetCount()};
}

void SimulatedSspdM0::setParams(const VT4SDM0V1_Param_t &params)
{
    m_physics.setTriggerLevel(params.cmpReferenceLevel);
    m_physics.setTimeConst(params.timeConst);
    m_physics.setAutoResetThreshold(params.autoResetThreshold);
    m_physics.setAutoResetTimeOut(params.autoResetTimeOut);
    m_physics.setAutoResetCount(params.autoResetAlarmsCounts);
}

VT4SDM0V1_Data_t SimulatedSspdM0::dataRecord()
{
    VT4SDM0V1_Data_t data{};
    data.current = static_cast<float>(m_physics.measuredCurrent());
    data.voltage = static_cast<float>(m_physics.measuredVoltage());
    data.counts = static_cast<float>(m_physics.lastWindowCounts());
    data.status = m_status;
    return data;
}

template <typename T, typename Apply>
std::optional<QByteArray> SimulatedSspdM0::applyValue(const QByteArray &data, Apply apply)
{
    const auto value = ByteImage::to<T>(data);
    if (!value)
        return std::nullopt;
    apply(*value);
    return QByteArray();
}

template <typename Record, typename Field>
std::optional<QByteArray> SimulatedSspdM0::accessField(Record record, Field Record::*field, bool isGetter,
                                                       const QByteArray &data,
                                                       void (SimulatedSspdM0::*apply)(const Record &))
{
    if (isGetter)
        return ByteImage::of(record.*field);
    return applyValue<Field>(data, [&](const Field &value) {
        record.*field = value;
        (this->*apply)(record);
    });
}

std::optional<QByteArray> SimulatedSspdM0::handleFieldRequest(quint8 command, const QByteArray &data)
{
    for (const ParamField &entry : ParamFields) {
        if (isFieldCode(command, entry.getter))
            return accessField(params(), entry.field, command == entry.getter, data,
                               &SimulatedSspdM0::setParams);
    }
    if (isFieldCode(command, GetAutoResetAlarmsCounts))
        return accessField(params(), &VT4SDM0V1_Param_t::autoResetAlarmsCounts,
                           command == GetAutoResetAlarmsCounts, data, &SimulatedSspdM0::setParams);
    for (const CoeffField &entry : CoeffFields) {
        if (isFieldCode(command, entry.getter))
            return accessField(m_eeprom, entry.field, command == entry.getter, data,
                               &SimulatedSspdM0::setEepromConst);
    }
    return std::nullopt;
}

std::optional<QByteArray> SimulatedSspdM0::handleModuleRequest(quint8 command, const QByteArray &data)
{
    catchUp();
    if (command >= SetShort && command < SetShort + SwitchCount) {
        return applyValue<quint8>(data, [&](quint8 on) {
            const int bit = command - SetShort + 1;
            const quint8 byte = m_status.toByte();
            setStatus(VT4SDM0_Status_t::fromByte(on ? byte | (1u << bit) : byte & ~(1u << bit)));
        });
    }
    switch (command) {
    case GetData:
        return ByteImage::of(dataRecord());
    case GetCurrent:
        return ByteImage::of(static_cast<float>(m_physics.measuredCurrent()));
    case SetCurrent:
        return applyValue<float>(data, [&](float amperes) { m_physics.setBiasCurrent(amperes); });
    case GetVoltage:
        return ByteImage::of(static_cast<float>(m_physics.measuredVoltage()));
    case GetCounts:
        return ByteImage::of(static_cast<float>(m_physics.lastWindowCounts()));
    case GetStatus:
        return ByteImage::of(m_status);
    case SetStatus:
        return applyValue<VT4SDM0_Status_t>(data, [&](const VT4SDM0_Status_t &value) { setStatus(value); });
    case GetParams:
        return ByteImage::of(params());
    case SetParams:
        return applyValue<VT4SDM0V1_Param_t>(data, [&](const VT4SDM0V1_Param_t &value) { setParams(value); });
    case GetEepromConst:
        return ByteImage::of(m_eeprom);
    case SetEepromConst:
        return applyValue<VT4SDM0V1_EEPROM_Const_t>(data, [&](const auto &value) { m_eeprom = value; });
    case GetPidEnable:
        return ByteImage::of(static_cast<quint8>(m_pidEnabled));
    case SetPidEnable:
        return applyValue<quint8>(data, [&](quint8 on) { m_pidEnabled = on != 0; });
    default:
        return handleFieldRequest(command, data);
    }
}
