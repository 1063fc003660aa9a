#include "SimulatedSspd.h"
#include "CryostatModel.h"
#include "SimClock.h"

namespace {
constexpr int FirstSwitchBit = 1; ///< setter SetShort drives status bit 1
constexpr int LastSwitchBit = 6;  ///< ... and SetAutoReset bit 6
constexpr int Bit3Index = 3;
/// After power-on: initialised, detector shorted, pulse chain off.
constexpr quint8 PowerOnStatus = SimulatedSspd::InitedBit | SimulatedSspd::ShortedBit;
constexpr quint8 ErrorBit = 0x80; ///< the module's own report; a write cannot set it
/// A channel the crate description starts biased: short open, amplifier, bit 3, comparator, counter on.
constexpr quint8 CountingStatus = 0x3D;

/// The counting parameters record with the codes of its fields (getter, setter = getter + 1).
const QList<RecordImage::Field> &paramFields()
{
    using P = VT4SDM0V1_Param_t;
    static const QList<RecordImage::Field> fields{
        RecordImage::field(SimulatedSspd::GetCmpReferenceLevel, 32, &P::cmpReferenceLevel),
        RecordImage::field(SimulatedSspd::GetTimeConst, 34, &P::timeConst),
        RecordImage::field(SimulatedSspd::GetAutoResetThreshold, 36, &P::autoResetThreshold),
        RecordImage::field(SimulatedSspd::GetAutoResetTimeOut, 38, &P::autoResetTimeOut),
        RecordImage::field(SimulatedSspd::GetAutoResetAlarmsCounts, SimulatedSspd::SetAutoResetAlarmsCounts,
                           &P::autoResetAlarmsCounts),
    };
    return fields;
}
} // namespace

SimulatedSspd::SimulatedSspd(const ModuleDescription &description, const SimClock &clock,
                             CryostatModel &cryostat, const Modification &modification)
    : SimulatedModule(description), m_clock(clock), m_cryostat(cryostat), m_modification(modification),
      m_physics(physicsSettings(description)), m_lastCatchUp(clock.seconds()), m_status(0)
{
    powerOn();
}

void SimulatedSspd::powerOn()
{
    const double bias = description().startBias;
    setStatus(bias > 0 ? CountingStatus : PowerOnStatus);
    m_physics.setBiasCurrent(bias);
}

SspdPhysics::Settings SimulatedSspd::physicsSettings(const ModuleDescription &description)
{
    SspdPhysics::Settings settings;
    settings.criticalCurrent = description.criticalCurrent;
    settings.lightLevel = description.lightLevel;
    settings.darkCountsAtCritical = description.darkCountsAtCritical;
    settings.seed = description.seed != 0 ? description.seed : static_cast<quint64>(description.address) + 1;
    return settings;
}

void SimulatedSspd::reset()
{
    m_physics = SspdPhysics(physicsSettings(description()));
    m_lastCatchUp = m_clock.seconds();
    powerOn();
    m_pidEnabled = false;
    m_modification.calibration.restoreFactory();
    loadEeprom(eepromContent());
}

void SimulatedSspd::initialize()
{
    m_status |= InitedBit;
}

void SimulatedSspd::shutDown()
{
    // Safe state: no bias, detector shorted, pulse chain off, waiting for init.
    m_physics.setBiasCurrent(0);
    setStatus(ShortedBit);
}

void SimulatedSspd::catchUp()
{
    const double now = m_clock.seconds();
    m_cryostat.advanceTo(now);
    m_physics.setBathTemperature(m_cryostat.stageTemperature());
    m_physics.advance(now - m_lastCatchUp);
    m_lastCatchUp = now;
}

void SimulatedSspd::setStatus(quint8 status)
{
    m_status = status & ~ErrorBit;
    const auto bit = [this](int index) { return (m_status >> index & 1) != 0; };
    SspdPhysics::Switches switches;
    switches.shorted = bit(1);
    switches.amplifierOn = bit(2);
    switches.rfKeyToComparator = !m_modification.bit3RoutesPulses || bit(Bit3Index);
    switches.comparatorOn = bit(4);
    switches.counterOn = bit(5);
    switches.autoResetOn = bit(6);
    m_physics.setSwitches(switches);
}

int SimulatedSspd::switchBit(quint8 command) const
{
    if (command == m_modification.bit3Setter)
        return Bit3Index;
    const int bit = command - SetShort + FirstSwitchBit;
    return bit >= FirstSwitchBit && bit <= LastSwitchBit && bit != Bit3Index ? bit : -1;
}

VT4SDM0V1_Param_t SimulatedSspd::params() const
{
    return {static_cast<float>(m_physics.triggerLevel()), static_cast<float>(m_physics.timeConst()),
            static_cast<float>(m_physics.autoResetThreshold()),
            static_cast<float>(m_physics.autoResetTimeOut()), m_physics.autoResetCount()};
}

void SimulatedSspd::setParams(const VT4SDM0V1_Param_t &params)
{
    m_physics.setTriggerLevel(params.cmpReferenceLevel);
    m_physics.setTimeConst(params.timeConst);
    m_physics.setAutoResetThreshold(params.autoResetThreshold);
    m_physics.setAutoResetTimeOut(params.autoResetTimeOut);
    m_physics.setAutoResetCount(params.autoResetAlarmsCounts);
}

std::optional<QByteArray> SimulatedSspd::handleParamField(quint8 command, const QByteArray &data)
{
    RecordImage record(GetParams, SetParams, ByteImage::of(params()), paramFields());
    const QByteArray before = record.image();
    const auto reply = record.handle(command, data);
    // Only a change is applied: the physics keeps doubles, and writing back their float images
    // would restart the counting window.
    if (reply && record.image() != before)
        setParams(record.as<VT4SDM0V1_Param_t>());
    return reply;
}

std::optional<QByteArray> SimulatedSspd::handleModificationRequest(quint8, const QByteArray &)
{
    return std::nullopt;
}

std::optional<QByteArray> SimulatedSspd::handleModuleRequest(quint8 command, const QByteArray &data)
{
    catchUp();
    if (const int bit = switchBit(command); bit >= 0) {
        return ByteImage::apply<quint8>(
            data, [&](quint8 on) { setStatus(on ? m_status | (1u << bit) : m_status & ~(1u << bit)); });
    }
    switch (command) {
    case GetData:
        return dataImage();
    case GetCurrent:
        return ByteImage::of(static_cast<float>(m_physics.measuredCurrent()));
    case SetCurrent:
        return ByteImage::apply<float>(data, [&](float amperes) { m_physics.setBiasCurrent(amperes); });
    case GetVoltage:
        return ByteImage::of(static_cast<float>(m_physics.measuredVoltage()));
    case GetCounts:
        return ByteImage::of(static_cast<float>(m_physics.lastWindowCounts()));
    case GetStatus:
        return ByteImage::of(m_status);
    case SetStatus:
        return ByteImage::apply<quint8>(data, [&](quint8 status) { setStatus(status); });
    case GetPidEnable:
        return ByteImage::of(static_cast<quint8>(m_pidEnabled));
    case SetPidEnable:
        return ByteImage::apply<quint8>(data, [&](quint8 on) { m_pidEnabled = on != 0; });
    default:
        break;
    }
    if (auto reply = handleParamField(command, data))
        return reply;
    if (auto reply = m_modification.calibration.handle(command, data))
        return reply;
    return handleModificationRequest(command, data);
}
