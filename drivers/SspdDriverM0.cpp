#include "SspdDriverM0.h"

#include <QMetaType>

namespace {
constexpr quint8 NoCommand = DriverProperty_p::NoCommand;

// Status bits driven by the switch properties.
constexpr int ShortBit = 1;
constexpr int AmplifierBit = 2;
constexpr int RfKeyBit = 3;
constexpr int CmpLatchBit = 4;
constexpr int CounterBit = 5;
constexpr int AutoResetBit = 6;

void registerRecordMetaTypes()
{
    qRegisterMetaType<VT4SDM0_Status_t>();
    qRegisterMetaType<VT4SDM0V1_Data_t>();
    qRegisterMetaType<VT4SDM0V1_Param_t>();
    qRegisterMetaType<VT4SDM0V1_EEPROM_Const_t>();
    qRegisterMetaType<pair_t<float>>();
}

template <typename Single, typename Record, typename Value>
void copyField(Single *single, const Record &record, Value Record::*field)
{
    single->setCurrentValue(record.*field);
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

template <typename Record, typename RecordProperty, typename Single, typename Value>
void SspdDriverM0::mirrorIntoRecord(Single *single, RecordProperty *record, Value Record::*field,
                                    void (SspdDriverM0::*update)(const Record &))
{
    single->gettedSignal()->subscribe([this, single, record, field, update] {
        Record value = record->currentValue();
        value.*field = single->currentValue();
        (this->*update)(value);
    });
}

void SspdDriverM0::subscribeSwitch(DriverPropertyWriteOnly<bool> *single, int bit)
{
    single->settedSignal()->subscribe([this, single, bit] {
        const auto mask = static_cast<std::uint8_t>(1u << bit);
        std::uint8_t byte = m_status->currentValue().toByte() & ~mask;
        if (single->lastSettedValue())
            byte |= mask;
        updateStatus(VT4SDM0_Status_t::fromByte(byte));
    });
}

// Cached values change only through setCurrentValue, which runs no callbacks, so these never chain.
void SspdDriverM0::subscribeCoherenceCallbacks()
{
    using Data = VT4SDM0V1_Data_t;
    using Param = VT4SDM0V1_Param_t;
    using Eeprom = VT4SDM0V1_EEPROM_Const_t;

    m_data->gettedSignal()->subscribe([this] {
        const Data record = m_data->currentValue();
        copyField(m_current.get(), record, &Data::current);
        copyField(m_voltage.get(), record, &Data::voltage);
        copyField(m_counts.get(), record, &Data::counts);
        copyField(m_status.get(), record, &Data::status);
        updateData(record);
    });
    mirrorIntoRecord(m_current.get(), m_data.get(), &Data::current, &SspdDriverM0::updateData);
    mirrorIntoRecord(m_voltage.get(), m_data.get(), &Data::voltage, &SspdDriverM0::updateData);
    mirrorIntoRecord(m_counts.get(), m_data.get(), &Data::counts, &SspdDriverM0::updateData);
    mirrorIntoRecord(m_status.get(), m_data.get(), &Data::status, &SspdDriverM0::updateData);
    m_status->settedSignal()->subscribe([this] {
        Data record = m_data->currentValue();
        record.status = m_status->lastSettedValue();
        updateData(record);
    });
    subscribeSwitch(m_shortEnable.get(), ShortBit);
    subscribeSwitch(m_amplifierEnable.get(), AmplifierBit);
    subscribeSwitch(m_rfKeyEnable.get(), RfKeyBit);
    subscribeSwitch(m_cmpLatchEnable.get(), CmpLatchBit);
    subscribeSwitch(m_counterEnable.get(), CounterBit);
    subscribeSwitch(m_autoResetEnable.get(), AutoResetBit);

    m_params->gettedSignal()->subscribe([this] {
        const Param record = m_params->currentValue();
        copyField(m_cmpReferenceLevel.get(), record, &Param::cmpReferenceLevel);
        copyField(m_timeConst.get(), record, &Param::timeConst);
        copyField(m_autoResetThreshold.get(), record, &Param::autoResetThreshold);
        copyField(m_autoResetTimeOut.get(), record, &Param::autoResetTimeOut);
        copyField(m_autoResetAlarmsCounts.get(), record, &Param::autoResetAlarmsCounts);
        updateParams(record);
    });
    mirrorIntoRecord(m_cmpReferenceLevel.get(), m_params.get(), &Param::cmpReferenceLevel,
                     &SspdDriverM0::updateParams);
    mirrorIntoRecord(m_timeConst.get(), m_params.get(), &Param::timeConst, &SspdDriverM0::updateParams);
    mirrorIntoRecord(m_autoResetThreshold.get(), m_params.get(), &Param::autoResetThreshold,
                     &SspdDriverM0::updateParams);
    mirrorIntoRecord(m_autoResetTimeOut.get(), m_params.get(), &Param::autoResetTimeOut,
                     &SspdDriverM0::updateParams);
    mirrorIntoRecord(m_autoResetAlarmsCounts.get(), m_params.get(), &Param::autoResetAlarmsCounts,
                     &SspdDriverM0::updateParams);

    m_eepromConst->gettedSignal()->subscribe([this] {
        const Eeprom record = m_eepromConst->currentValue();
        copyField(m_currentAdcCoeff.get(), record, &Eeprom::currentAdcCoeff);
        copyField(m_currentDacCoeff.get(), record, &Eeprom::currentDacCoeff);
        copyField(m_voltageAdcCoeff.get(), record, &Eeprom::voltageAdcCoeff);
        copyField(m_cmpReferenceCoeff.get(), record, &Eeprom::cmpReferenceCoeff);
        updateEEPROM(record);
    });
    mirrorIntoRecord(m_currentAdcCoeff.get(), m_eepromConst.get(), &Eeprom::currentAdcCoeff,
                     &SspdDriverM0::updateEEPROM);
    mirrorIntoRecord(m_currentDacCoeff.get(), m_eepromConst.get(), &Eeprom::currentDacCoeff,
                     &SspdDriverM0::updateEEPROM);
    mirrorIntoRecord(m_voltageAdcCoeff.get(), m_eepromConst.get(), &Eeprom::voltageAdcCoeff,
                     &SspdDriverM0::updateEEPROM);
    mirrorIntoRecord(m_cmpReferenceCoeff.get(), m_eepromConst.get(), &Eeprom::cmpReferenceCoeff,
                     &SspdDriverM0::updateEEPROM);
}
