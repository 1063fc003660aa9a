#include "SisControlLineDriverM0.h"
#include "RecordMirror.h"
#include "SetPointLimits.h"

#include <QMetaType>

namespace {
constexpr quint8 NoCommand = DriverProperty_p::NoCommand;

void registerRecordMetaTypes()
{
    qRegisterMetaType<VT4CLM0V0_Data_t>();
    qRegisterMetaType<VT4CLM0V0_EEPROM_Const_t>();
    qRegisterMetaType<pair_t<float>>();
}
} // namespace

SisControlLineDriverM0::SisControlLineDriverM0(QObject *parent)
    : CommonDriver(parent),
      m_data(std::make_unique<DriverPropertyReadOnly<VT4CLM0V0_Data_t>>(this, 16, NoCommand)),
      m_current(std::make_unique<DriverProperty<float>>(this, 17, 18)),
      m_shortEnable(std::make_unique<DriverProperty<bool>>(this, 19, 20)),
      m_eepromConst(std::make_unique<DriverProperty<VT4CLM0V0_EEPROM_Const_t>>(this, 23, 24)),
      m_currentAdcCoeff(std::make_unique<DriverProperty<pair_t<float>>>(this, 25, 26)),
      m_currentDacCoeff(std::make_unique<DriverProperty<pair_t<float>>>(this, 27, 28)),
      m_currentLimits(std::make_unique<DriverProperty<pair_t<float>>>(this, 29, 30)),
      m_currentStep(std::make_unique<DriverProperty<float>>(this, 31, 32)),
      m_pidEnable(std::make_unique<DriverProperty<bool>>(this, 21, 22))
{
    registerRecordMetaTypes();
    subscribeCoherenceCallbacks();
}

// The properties are deleted here, while the driver they unlist themselves from still exists.
SisControlLineDriverM0::~SisControlLineDriverM0() = default;

bool SisControlLineDriverM0::setCurrentWithinLimits(float amperes, int attempts)
{
    return SetPointLimits::writeChecked(
        m_eepromConst.get(), m_calibrationRead, m_current.get(), amperes,
        [this](float value) { return SetPointLimits::within(m_currentLimits->currentValue(), value); },
        attempts);
}

void SisControlLineDriverM0::updateData(const VT4CLM0V0_Data_t &data)
{
    m_data->setCurrentValue(data);
    emit dataUpdated(data);
}

void SisControlLineDriverM0::updateEEPROM(const VT4CLM0V0_EEPROM_Const_t &eeprom)
{
    m_eepromConst->setCurrentValue(eeprom);
    emit eepromConstUpdated(eeprom);
}

void SisControlLineDriverM0::subscribeCoherenceCallbacks()
{
    using Data = VT4CLM0V0_Data_t;
    using Eeprom = VT4CLM0V0_EEPROM_Const_t;
    RecordMirror(this, m_data.get(), &SisControlLineDriverM0::updateData)
        .field(m_current.get(), &Data::current)
        .field(m_shortEnable.get(), &Data::shortEnable);
    RecordMirror(this, m_eepromConst.get(), &SisControlLineDriverM0::updateEEPROM,
                 [this] { m_calibrationRead = true; })
        .field(m_currentAdcCoeff.get(), &Eeprom::currentAdcCoeff)
        .field(m_currentDacCoeff.get(), &Eeprom::currentDacCoeff)
        .field(m_currentLimits.get(), &Eeprom::currentLimits)
        .field(m_currentStep.get(), &Eeprom::currentStep);
}
