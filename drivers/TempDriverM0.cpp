#include "TempDriverM0.h"
#include "RecordMirror.h"
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
    RecordMirror(this, m_data.get(), &TempDriverM0::updateData)
        .field(m_temperature.get(), &Data::temperature)
        .field(m_pressure.get(), &Data::pressure)
        .field(m_tempSensorCurrent.get(), &Data::tempSensorCurrent)
        .field(m_tempSensorVoltage.get(), &Data::tempSensorVoltage)
        .field(m_pressSensorVoltageP.get(), &Data::pressSensorVoltageP)
        .field(m_pressSensorVoltageN.get(), &Data::pressSensorVoltageN)
        .field(m_commutator.get(), &Data::commutator);
    RecordMirror(this, m_eepromConst.get(), &TempDriverM0::updateEEPROM)
        .field(m_tempSensorCurrentAdcCoeff.get(), &Eeprom::tempSensorCurrentAdcCoeff)
        .field(m_tempSensorCurrentDacCoeff.get(), &Eeprom::tempSensorCurrentDacCoeff)
        .field(m_tempSensorVoltageCoeff.get(), &Eeprom::tempSensorVoltageCoeff)
        .field(m_pressSensorVoltagePCoeff.get(), &Eeprom::pressSensorVoltagePCoeff)
        .field(m_pressSensorVoltageNCoeff.get(), &Eeprom::pressSensorVoltageNCoeff)
        .field(m_pressSensorCoeff.get(), &Eeprom::pressSensorCoeff);
}
