#include "SspdDriverM0.h"
#include "SspdCoherence.h"

#include <QMetaType>

namespace {
constexpr quint8 NoCommand = DriverProperty_p::NoCommand;

void registerRecordMetaTypes()
{
    qRegisterMetaType<VT4SDM0_Status_t>();
    qRegisterMetaType<VT4SDM0V1_Data_t>();
    qRegisterMetaType<VT4SDM0V1_Param_t>();
    qRegisterMetaType<VT4SDM0V1_EEPROM_Const_t>();
    qRegisterMetaType<pair_t<float>>();
}
} // namespace

SspdDriverM0::SspdDriverM0(QObject *parent)
    : CommonDriver(parent),
      m_data(std::make_unique<DriverPropertyReadOnly<VT4SDM0V1_Data_t>>(this, 16, NoCommand)),
      m_current(std::make_unique<DriverProperty<float>>(this, 17, 18)),
      m_voltage(std::make_unique<DriverPropertyReadOnly<float>>(this, 19, NoCommand)),
      m_counts(std::make_unique<DriverPropertyReadOnly<float>>(this, 20, NoCommand)),
      m_status(std::make_unique<DriverProperty<VT4SDM0_Status_t>>(this, 21, 22)),
      m_shortEnable(std::make_unique<DriverPropertyWriteOnly<bool>>(this, NoCommand, 23)),
      m_amplifierEnable(std::make_unique<DriverPropertyWriteOnly<bool>>(this, NoCommand, 24)),
      m_rfKeyEnable(std::make_unique<DriverPropertyWriteOnly<bool>>(this, NoCommand, 25)),
      m_cmpLatchEnable(std::make_unique<DriverPropertyWriteOnly<bool>>(this, NoCommand, 26)),
      m_counterEnable(std::make_unique<DriverPropertyWriteOnly<bool>>(this, NoCommand, 27)),
      m_autoResetEnable(std::make_unique<DriverPropertyWriteOnly<bool>>(this, NoCommand, 28)),
      m_params(std::make_unique<DriverProperty<VT4SDM0V1_Param_t>>(this, 29, 30)),
      m_cmpReferenceLevel(std::make_unique<DriverProperty<float>>(this, 31, 32)),
      m_timeConst(std::make_unique<DriverProperty<float>>(this, 33, 34)),
      m_autoResetThreshold(std::make_unique<DriverProperty<float>>(this, 35, 36)),
      m_autoResetTimeOut(std::make_unique<DriverProperty<float>>(this, 37, 38)),
      m_autoResetAlarmsCounts(std::make_unique<DriverProperty<unsigned int>>(this, 39, 40)),
      m_eepromConst(std::make_unique<DriverProperty<VT4SDM0V1_EEPROM_Const_t>>(this, 41, 42)),
      m_currentAdcCoeff(std::make_unique<DriverProperty<pair_t<float>>>(this, 43, 44)),
      m_voltageAdcCoeff(std::make_unique<DriverProperty<pair_t<float>>>(this, 45, 46)),
      m_currentDacCoeff(std::make_unique<DriverProperty<pair_t<float>>>(this, 47, 48)),
      m_cmpReferenceCoeff(std::make_unique<DriverProperty<pair_t<float>>>(this, 49, 50)),
      m_PIDEnableStatus(std::make_unique<DriverProperty<bool>>(this, 51, 52))
{
    registerRecordMetaTypes();
    subscribeCoherenceCallbacks();
}

// The properties are deleted here, while the driver they unlist themselves from still exists.
SspdDriverM0::~SspdDriverM0() = default;

void SspdDriverM0::updateData(const VT4SDM0V1_Data_t &data)
{
    m_data->setCurrentValue(data);
    emit dataUpdated(data);
}

void SspdDriverM0::updateStatus(const VT4SDM0_Status_t &status)
{
    VT4SDM0V1_Data_t record = m_data->currentValue();
    record.status = status;
    updateData(record);
}

void SspdDriverM0::updateParams(const VT4SDM0V1_Param_t &params)
{
    m_params->setCurrentValue(params);
    emit paramsUpdated(params);
}

void SspdDriverM0::updateEEPROM(const VT4SDM0V1_EEPROM_Const_t &eeprom)
{
    m_eepromConst->setCurrentValue(eeprom);
    emit eepromConstUpdated(eeprom);
}

void SspdDriverM0::subscribeCoherenceCallbacks()
{
    SspdCoherence::mirrorSharedData(this);
    SspdCoherence::subscribeShared(this);
    RecordCoherence::mirrorSwitch(this, &SspdDriverM0::updateStatus, m_rfKeyEnable.get(), m_status.get(),
                                  SspdStatusBit::RfKeyOrHighFrequency);
    SspdCoherence::mirrorSharedCalibration(this);
}
