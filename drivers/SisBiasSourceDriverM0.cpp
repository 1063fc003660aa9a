#include "SisBiasSourceDriverM0.h"
#include "RecordMirror.h"
#include "SetPointLimits.h"

#include <QMetaType>

namespace {
constexpr quint8 NoCommand = DriverProperty_p::NoCommand;

void registerRecordMetaTypes()
{
    qRegisterMetaType<VT4BSM0_Data_t>();
    qRegisterMetaType<VT4BSM0V0_EEPROM_Const_t>();
    qRegisterMetaType<VT4BSM0_SWEEP_PARAMS_t>();
    qRegisterMetaType<pair_t<float>>();
}
} // namespace

SisBiasSourceDriverM0::SisBiasSourceDriverM0(QObject *parent)
    : CommonDriver(parent),
      m_data(std::make_unique<DriverPropertyReadOnly<VT4BSM0_Data_t>>(this, 16, NoCommand)),
      m_current(std::make_unique<DriverProperty<float>>(this, 17, 18)),
      m_voltage(std::make_unique<DriverProperty<float>>(this, 19, 20)),
      m_shortEnable(std::make_unique<DriverProperty<bool>>(this, 21, 22)),
      m_mode(std::make_unique<DriverProperty<char>>(this, 23, 24)),
      m_eepromConst(std::make_unique<DriverProperty<VT4BSM0V0_EEPROM_Const_t>>(this, 27, 28)),
      m_currentAdcCoeff(std::make_unique<DriverProperty<pair_t<float>>>(this, 29, 30)),
      m_currentDacCoeff(std::make_unique<DriverProperty<pair_t<float>>>(this, 33, 34)),
      m_currentLimits(std::make_unique<DriverProperty<pair_t<float>>>(this, 37, 38)),
      m_currentStep(std::make_unique<DriverProperty<float>>(this, 39, 40)),
      m_voltageAdcCoeff(std::make_unique<DriverProperty<pair_t<float>>>(this, 31, 32)),
      m_voltageDacCoeff(std::make_unique<DriverProperty<pair_t<float>>>(this, 35, 36)),
      m_voltageLimits(std::make_unique<DriverProperty<pair_t<float>>>(this, 41, 42)),
      m_voltageStep(std::make_unique<DriverProperty<float>>(this, 43, 44)),
      m_currentMonitorResistance(std::make_unique<DriverProperty<float>>(this, 45, 46)),
      m_pidEnable(std::make_unique<DriverProperty<bool>>(this, 25, 26)),
      m_sweepParams(std::make_unique<DriverProperty<VT4BSM0_SWEEP_PARAMS_t>>(this, 47, 48)),
      m_sweepStart(std::make_unique<DriverCommand>(this, 49)),
      m_sweepStop(std::make_unique<DriverCommand>(this, 50))
{
    registerRecordMetaTypes();
    subscribeCoherenceCallbacks();
}

// The properties are deleted here, while the driver they unlist themselves from still exists.
SisBiasSourceDriverM0::~SisBiasSourceDriverM0() = default;

bool SisBiasSourceDriverM0::setCurrentWithinLimits(float amperes, int attempts)
{
    return SetPointLimits::writeChecked(
        m_eepromConst.get(), m_calibrationRead, m_current.get(), amperes,
        [this](float value) { return SetPointLimits::within(m_currentLimits->currentValue(), value); },
        attempts);
}

bool SisBiasSourceDriverM0::setVoltageWithinLimits(float volts, int attempts)
{
    return SetPointLimits::writeChecked(
        m_eepromConst.get(), m_calibrationRead, m_voltage.get(), volts,
        [this](float value) { return SetPointLimits::within(m_voltageLimits->currentValue(), value); },
        attempts);
}

bool SisBiasSourceDriverM0::setSweepParamsWithinLimits(const VT4BSM0_SWEEP_PARAMS_t &params, int attempts)
{
    return SetPointLimits::writeChecked(
        m_eepromConst.get(), m_calibrationRead, m_sweepParams.get(), params,
        [this](const VT4BSM0_SWEEP_PARAMS_t &sweep) { return sweepAllowed(sweep); }, attempts);
}

bool SisBiasSourceDriverM0::sweepAllowed(const VT4BSM0_SWEEP_PARAMS_t &sweep) const
{
    const bool byCurrent = sweep.mode == VT4BSM0_ModeCurrentBias;
    if (!byCurrent && sweep.mode != VT4BSM0_ModeVoltageBias)
        return false;
    const pair_t<float> limits =
        byCurrent ? m_currentLimits->currentValue() : m_voltageLimits->currentValue();
    return SetPointLimits::within(limits, sweep.start) && SetPointLimits::within(limits, sweep.stop) &&
           std::isfinite(sweep.step) && sweep.step > 0.0f && std::isfinite(sweep.dwell) && sweep.dwell > 0.0f;
}

void SisBiasSourceDriverM0::updateData(const VT4BSM0_Data_t &data)
{
    m_data->setCurrentValue(data);
    emit dataUpdated(data);
}

void SisBiasSourceDriverM0::updateEEPROM(const VT4BSM0V0_EEPROM_Const_t &eeprom)
{
    m_eepromConst->setCurrentValue(eeprom);
    emit eepromConstUpdated(eeprom);
}

void SisBiasSourceDriverM0::subscribeCoherenceCallbacks()
{
    using Data = VT4BSM0_Data_t;
    using Eeprom = VT4BSM0V0_EEPROM_Const_t;
    RecordMirror(this, m_data.get(), &SisBiasSourceDriverM0::updateData)
        .field(m_current.get(), &Data::current)
        .field(m_voltage.get(), &Data::voltage)
        .field(m_shortEnable.get(), &Data::shortEnable)
        .field(m_mode.get(), &Data::mode);
    RecordMirror(this, m_eepromConst.get(), &SisBiasSourceDriverM0::updateEEPROM,
                 [this] { m_calibrationRead = true; })
        .field(m_currentAdcCoeff.get(), &Eeprom::currentAdcCoeff)
        .field(m_currentDacCoeff.get(), &Eeprom::currentDacCoeff)
        .field(m_currentLimits.get(), &Eeprom::currentLimits)
        .field(m_currentStep.get(), &Eeprom::currentStep)
        .field(m_voltageAdcCoeff.get(), &Eeprom::voltageAdcCoeff)
        .field(m_voltageDacCoeff.get(), &Eeprom::voltageDacCoeff)
        .field(m_voltageLimits.get(), &Eeprom::voltageLimits)
        .field(m_voltageStep.get(), &Eeprom::voltageStep)
        .field(m_currentMonitorResistance.get(), &Eeprom::currentMonitorResistance);
}
