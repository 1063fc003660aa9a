#include "TempDriverM0.h"
#include "RecordCoherence.h"
#include "TempTableTransfer.h"

#include <QMetaType>

namespace {
constexpr quint8 NoCommand = DriverProperty_p::NoCommand;

void registerRecordMetaTypes()
{
    qRegisterMetaType<VT4TDM0V1_Data_t>();
    qRegisterMetaType<VT4TDM0V1_EEPROM_Const_t>();
    qRegisterMetaType<VT4TDM0V1_Temp_Table_Item_t>();
    qRegisterMetaType<pair_t<float>>();
}
} // namespace

TempDriverM0::TempDriverM0(QObject *parent)
    : CommonDriver(parent),
      m_data(std::make_unique<DriverPropertyReadOnly<VT4TDM0V1_Data_t>>(this, 16, NoCommand)),
      m_temperature(std::make_unique<DriverPropertyReadOnly<float>>(this, 17, NoCommand)),
      m_pressure(std::make_unique<DriverPropertyReadOnly<float>>(this, 18, NoCommand)),
      m_tempSensorCurrent(std::make_unique<DriverProperty<float>>(this, 19, 20)),
      m_tempSensorVoltage(std::make_unique<DriverPropertyReadOnly<float>>(this, 21, NoCommand)),
      m_pressSensorVoltageP(std::make_unique<DriverPropertyReadOnly<float>>(this, 22, NoCommand)),
      m_pressSensorVoltageN(std::make_unique<DriverPropertyReadOnly<float>>(this, 23, NoCommand)),
      m_commutator(std::make_unique<DriverProperty<bool>>(this, 24, 25)),
      m_eepromConst(std::make_unique<DriverProperty<VT4TDM0V1_EEPROM_Const_t>>(this, 26, 27)),
      m_tempSensorCurrentAdcCoeff(std::make_unique<DriverProperty<pair_t<float>>>(this, 28, 29)),
      m_tempSensorCurrentDacCoeff(std::make_unique<DriverProperty<pair_t<float>>>(this, 30, 31)),
      m_tempSensorVoltageCoeff(std::make_unique<DriverProperty<pair_t<float>>>(this, 32, 33)),
      m_pressSensorVoltagePCoeff(std::make_unique<DriverProperty<pair_t<float>>>(this, 34, 35)),
      m_pressSensorVoltageNCoeff(std::make_unique<DriverProperty<pair_t<float>>>(this, 36, 37)),
      m_pressSensorCoeff(std::make_unique<DriverProperty<pair_t<float>>>(this, 38, 39)),
      m_tempTableTransfer(std::make_unique<DriverTransferProperty>(this, 40, 41))
{
    registerRecordMetaTypes();
    subscribeCoherenceCallbacks();
}

// The properties are deleted here, while the driver they unlist themselves from still exists.
TempDriverM0::~TempDriverM0() = default;

bool TempDriverM0::sendTempTable()
{
    return TempTableTransfer(m_tempTableTransfer.get(), {}).send(m_tempTable, TableChunkAttempts);
}

bool TempDriverM0::receiveTempTable()
{
    return TempTableTransfer(m_tempTableTransfer.get(), {}).receive(m_tempTable, TableChunkAttempts);
}

void TempDriverM0::updateData(VT4TDM0V1_Data_t data)
{
    m_data->setCurrentValue(data);
    emit dataUpdated(data);
}

void TempDriverM0::updateEEPROM(VT4TDM0V1_EEPROM_Const_t eeprom)
{
    m_eepromConst->setCurrentValue(eeprom);
    emit eepromConstUpdated(eeprom);
}

void TempDriverM0::subscribeCoherenceCallbacks()
{
    using Data = VT4TDM0V1_Data_t;
    using Eeprom = VT4TDM0V1_EEPROM_Const_t;
    using namespace RecordCoherence;
    const auto publishData = &TempDriverM0::updateData;
    const auto publishEeprom = &TempDriverM0::updateEEPROM;

    m_data->gettedSignal()->subscribe([this] {
        const Data record = m_data->currentValue();
        copyField(m_temperature.get(), record, &Data::temperature);
        copyField(m_pressure.get(), record, &Data::pressure);
        copyField(m_tempSensorCurrent.get(), record, &Data::tempSensorCurrent);
        copyField(m_tempSensorVoltage.get(), record, &Data::tempSensorVoltage);
        copyField(m_pressSensorVoltageP.get(), record, &Data::pressSensorVoltageP);
        copyField(m_pressSensorVoltageN.get(), record, &Data::pressSensorVoltageN);
        copyField(m_commutator.get(), record, &Data::commutator);
        updateData(record);
    });
    mirrorOnGetted(this, publishData, m_temperature.get(), m_data.get(), &Data::temperature);
    mirrorOnGetted(this, publishData, m_pressure.get(), m_data.get(), &Data::pressure);
    mirrorOnGetted(this, publishData, m_tempSensorCurrent.get(), m_data.get(), &Data::tempSensorCurrent);
    mirrorOnGetted(this, publishData, m_tempSensorVoltage.get(), m_data.get(), &Data::tempSensorVoltage);
    mirrorOnGetted(this, publishData, m_pressSensorVoltageP.get(), m_data.get(), &Data::pressSensorVoltageP);
    mirrorOnGetted(this, publishData, m_pressSensorVoltageN.get(), m_data.get(), &Data::pressSensorVoltageN);
    mirrorOnGetted(this, publishData, m_commutator.get(), m_data.get(), &Data::commutator);

    m_eepromConst->gettedSignal()->subscribe([this] {
        const Eeprom record = m_eepromConst->currentValue();
        copyField(m_tempSensorCurrentAdcCoeff.get(), record, &Eeprom::tempSensorCurrentAdcCoeff);
        copyField(m_tempSensorCurrentDacCoeff.get(), record, &Eeprom::tempSensorCurrentDacCoeff);
        copyField(m_tempSensorVoltageCoeff.get(), record, &Eeprom::tempSensorVoltageCoeff);
        copyField(m_pressSensorVoltagePCoeff.get(), record, &Eeprom::pressSensorVoltagePCoeff);
        copyField(m_pressSensorVoltageNCoeff.get(), record, &Eeprom::pressSensorVoltageNCoeff);
        copyField(m_pressSensorCoeff.get(), record, &Eeprom::pressSensorCoeff);
        updateEEPROM(record);
    });
    mirrorOnGetted(this, publishEeprom, m_tempSensorCurrentAdcCoeff.get(), m_eepromConst.get(),
                   &Eeprom::tempSensorCurrentAdcCoeff);
    mirrorOnGetted(this, publishEeprom, m_tempSensorCurrentDacCoeff.get(), m_eepromConst.get(),
                   &Eeprom::tempSensorCurrentDacCoeff);
    mirrorOnGetted(this, publishEeprom, m_tempSensorVoltageCoeff.get(), m_eepromConst.get(),
                   &Eeprom::tempSensorVoltageCoeff);
    mirrorOnGetted(this, publishEeprom, m_pressSensorVoltagePCoeff.get(), m_eepromConst.get(),
                   &Eeprom::pressSensorVoltagePCoeff);
    mirrorOnGetted(this, publishEeprom, m_pressSensorVoltageNCoeff.get(), m_eepromConst.get(),
                   &Eeprom::pressSensorVoltageNCoeff);
    mirrorOnGetted(this, publishEeprom, m_pressSensorCoeff.get(), m_eepromConst.get(),
                   &Eeprom::pressSensorCoeff);
}
