#include "HeaterDriverM0.h"
#include "RecordMirror.h"
#include "SetPointLimits.h"

#include <QMetaType>

namespace {
constexpr quint8 NoCommand = DriverProperty_p::NoCommand;

void registerRecordMetaTypes()
{
    qRegisterMetaType<VT4HTM0V0_Data_t>();
    qRegisterMetaType<VT4HT0V0_EEPROM_Const_t>();
    qRegisterMetaType<pair_t<float>>();
}
} // namespace

HeaterDriverM0::HeaterDriverM0(QObject *parent)
    : CommonDriver(parent),
      m_data(std::make_unique<DriverPropertyReadOnly<VT4HTM0V0_Data_t>>(this, 16, NoCommand)),
      m_current(std::make_unique<DriverProperty<float>>(this, 17, 18)),
      m_relayStatus(std::make_unique<DriverProperty<char>>(this, 19, 20)),
      m_mode(std::make_unique<DriverProperty<char>>(this, 21, 22)),
      m_eepromConst(std::make_unique<DriverProperty<VT4HT0V0_EEPROM_Const_t>>(this, 23, 24)),
      m_currentAdcCoeff(std::make_unique<DriverProperty<pair_t<float>>>(this, 33, 34)),
      m_currentDacCoeff(std::make_unique<DriverProperty<pair_t<float>>>(this, 35, 36)),
      m_maximumCurrent(std::make_unique<DriverProperty<float>>(this, 25, 26)),
      m_frontEdgeTime(std::make_unique<DriverProperty<float>>(this, 27, 28)),
      m_holdTime(std::make_unique<DriverProperty<float>>(this, 29, 30)),
      m_rearEdgeTime(std::make_unique<DriverProperty<float>>(this, 31, 32)),
      m_startHeating(std::make_unique<DriverCommand>(this, 13)),
      m_emergencyStop(std::make_unique<DriverCommand>(this, 14))
{
    registerRecordMetaTypes();
    subscribeCoherenceCallbacks();
}

// The properties are deleted here, while the driver they unlist themselves from still exists.
HeaterDriverM0::~HeaterDriverM0() = default;

bool HeaterDriverM0::setCurrentWithinLimits(float amperes, int attempts)
{
    return SetPointLimits::writeChecked(
        m_eepromConst.get(), m_calibrationRead, m_current.get(), amperes,
        [this](float value) { return SetPointLimits::upTo(m_maximumCurrent->currentValue(), value); },
        attempts);
}

void HeaterDriverM0::updateData(const VT4HTM0V0_Data_t &data)
{
    m_data->setCurrentValue(data);
    emit dataUpdated(data);
}

void HeaterDriverM0::updateEEPROM(const VT4HT0V0_EEPROM_Const_t &eeprom)
{
    m_eepromConst->setCurrentValue(eeprom);
    emit eepromConstUpdated(eeprom);
}

void HeaterDriverM0::subscribeCoherenceCallbacks()
{
    using Data = VT4HTM0V0_Data_t;
    using Eeprom = VT4HT0V0_EEPROM_Const_t;
    RecordMirror(this, m_data.get(), &HeaterDriverM0::updateData)
        .field(m_current.get(), &Data::current)
        .field(m_relayStatus.get(), &Data::relayStatus)
        .field(m_mode.get(), &Data::mode);
    RecordMirror(this, m_eepromConst.get(), &HeaterDriverM0::updateEEPROM,
                 [this] { m_calibrationRead = true; })
        .field(m_currentAdcCoeff.get(), &Eeprom::currentAdcCoeff)
        .field(m_currentDacCoeff.get(), &Eeprom::currentDacCoeff)
        .field(m_maximumCurrent.get(), &Eeprom::maximumCurrent)
        .field(m_frontEdgeTime.get(), &Eeprom::frontEdgeTime)
        .field(m_holdTime.get(), &Eeprom::holdTime)
        .field(m_rearEdgeTime.get(), &Eeprom::rearEdgeTime);
}
