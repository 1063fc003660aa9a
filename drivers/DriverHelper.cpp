#include "DriverHelper.h"
#include "CountingWindow.h"
#include "SspdDriverM0.h"
#include "SspdDriverM1.h"
#include "StopRequest.h"
#include "TempDriverM0.h"
#include "TempDriverM1.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr std::uint8_t ShortedBit = 0x02;
constexpr int SingleAttempt = 1;

/// Bit `bit` of a status byte as a bool variant.
QVariant statusBit(std::uint8_t status, int bit)
{
    return QVariant(((status >> bit) & 1) != 0);
}

QVariant pairVariant(const pair_t<float> &pair)
{
    return QVariant::fromValue(CalibrationPair(pair.first, pair.second));
}

QString tempTableKey(int index)
{
    return QStringLiteral("tempTable_%1").arg(index);
}

// What sets the two SSPD modifications apart, for the templates below: the switch and the key
// on status bit 3, and the data the record carries beyond the shared fields.
DriverPropertyWriteOnly<bool> *bitThreeSwitch(SspdDriverM0 *d)
{
    return d->rfKeyEnable();
}
DriverPropertyWriteOnly<bool> *bitThreeSwitch(SspdDriverM1 *d)
{
    return d->highFrequencyModeEnable();
}
QLatin1String bitThreeKey(const SspdDriverM0 *)
{
    return QLatin1String("status_rfkey_to_cmp");
}
QLatin1String bitThreeKey(const SspdDriverM1 *)
{
    return QLatin1String("status_hfmode_on");
}
void insertModelData(QMap<QString, QVariant> &, const VT4SDM0V1_Data_t &) {}
void insertModelData(QMap<QString, QVariant> &values, const VT4SDM1_Data_t &data)
{
    values.insert(QStringLiteral("currentMonitor"), double(data.currentMonitor));
}

/// Switches a detector channel on or off. The switches always change with the detector shorted;
/// when switching on, it is opened once they have settled.
template <typename Sspd> void operateSspd(Sspd *d, bool on, int attempts)
{
    using Status = decltype(d->status()->currentValue());
    std::uint8_t status = d->status()->currentValue().toByte();
    status &= std::uint8_t(~Status::PulseChainBits);
    if (on)
        status |= Status::PulseChainBits;
    status |= ShortedBit;
    d->status()->setValueSync(Status::fromByte(status), nullptr, attempts);
    if (!on)
        return;
    DriverHelper::delay(DriverHelper::OperateShortReleaseMs);
    d->shortEnable()->setValueSync(false, nullptr, attempts);
}

/// A new time constant restarts the module's counting window. The rate is taken with the
/// constant just written from now on: the cached one is the module's, read before the change.
template <typename Sspd> void setTimeConst(Sspd *d, float seconds, int attempts)
{
    bool ok = false;
    d->timeConst()->setValueSync(seconds, &ok, attempts);
    if (!ok)
        return;
    d->timeConst()->setCurrentValue(seconds);
    CountingWindow::restart(d, seconds);
}

template <typename Sspd>
void setSspdParameter(Sspd *d, const QString &name, const QVariant &value, int attempts)
{
    const float number = value.toFloat();
    const bool flag = value.toBool();
    if (name == QLatin1String("operate"))
        operateSspd(d, flag, attempts);
    else if (name == QLatin1String("current"))
        d->current()->setValueSync(number, nullptr, attempts);
    else if (name == QLatin1String("time_const"))
        setTimeConst(d, number, attempts);
    else if (name == QLatin1String("cmp_ref_level"))
        d->cmpReferenceLevel()->setValueSync(number, nullptr, attempts);
    else if (name == QLatin1String("status_shorted"))
        d->shortEnable()->setValueSync(flag, nullptr, attempts);
    else if (name == QLatin1String("status_amplifier_on"))
        d->amplifierEnable()->setValueSync(flag, nullptr, attempts);
    else if (name == QLatin1String("status_comparator_on"))
        d->cmpLatchEnable()->setValueSync(flag, nullptr, attempts);
    else if (name == QLatin1String("status_counter_on"))
        d->counterEnable()->setValueSync(flag, nullptr, attempts);
    else if (name == bitThreeKey(d))
        bitThreeSwitch(d)->setValueSync(flag, nullptr, attempts);
    else if (name == QLatin1String("status_autoreset_on"))
        d->autoResetEnable()->setValueSync(flag, nullptr, attempts);
    else if (name == QLatin1String("auto_reset_threshold"))
        d->autoResetThreshold()->setValueSync(number, nullptr, attempts);
    else if (name == QLatin1String("auto_reset_time_out"))
        d->autoResetTimeOut()->setValueSync(number, nullptr, attempts);
}

/// Reads a record; `fresh` tells whether the module sent one of the right size this time. A
/// reply that does not fit ends the wait but leaves the old record, which is then no reading.
template <typename Property> auto freshValue(Property *property, int attempts, bool *fresh)
{
    const quint64 before = property->replyCount();
    bool answered = false;
    const auto value = property->getValueSync(&answered, attempts);
    *fresh = answered && property->replyCount() != before;
    return value;
}

template <typename Sspd> QMap<QString, QVariant> sspdData(Sspd *d, int attempts)
{
    bool ok = false;
    const auto data = freshValue(d->data(), attempts, &ok);
    if (!ok)
        return {};
    const std::uint8_t status = data.status.toByte();
    const float timeConst = d->timeConst()->currentValue();
    // Until the time constant has been read there is no rate to give. Counts of a window that
    // began before the last change of the constant are no rate under either constant.
    float cps = timeConst > 0 ? data.counts / timeConst : 0.0f;
    if (!CountingWindow::isComplete(d))
        cps = std::numeric_limits<float>::quiet_NaN();
    QMap<QString, QVariant> values{
        {QStringLiteral("current"), double(data.current)},
        {QStringLiteral("voltage"), double(data.voltage)},
        {QStringLiteral("counts"), double(data.counts)},
        {QStringLiteral("cps"), double(cps)},
        {QStringLiteral("status_inite"), statusBit(status, 0)},
        {QStringLiteral("status_shorted"), statusBit(status, 1)},
        {QStringLiteral("status_amplifier_on"), statusBit(status, 2)},
        {bitThreeKey(d), statusBit(status, 3)},
        {QStringLiteral("status_comparator_on"), statusBit(status, 4)},
        {QStringLiteral("status_counter_on"), statusBit(status, 5)},
        {QStringLiteral("status_autoreset_on"), statusBit(status, 6)},
        {QStringLiteral("status_error"), statusBit(status, 7)},
        {QStringLiteral("operate"), data.status.isOperating()},
    };
    insertModelData(values, data);
    return values;
}

QMap<QString, QVariant> tempM0Data(TempDriverM0 *d, int attempts)
{
    bool ok = false;
    const VT4TDM0V1_Data_t data = freshValue(d->data(), attempts, &ok);
    if (!ok)
        return {};
    return {
        {QStringLiteral("operate"), data.commutator},
        {QStringLiteral("temperature"), double(data.temperature)},
        {QStringLiteral("pressure"), double(data.pressure)},
        {QStringLiteral("temperature_sensor_current"), double(data.tempSensorCurrent)},
        {QStringLiteral("temperature_sensor_voltage"), double(data.tempSensorVoltage)},
        {QStringLiteral("pressure_sensor_voltage_pos"), double(data.pressSensorVoltageP)},
        {QStringLiteral("pressure_sensor_voltage_neg"), double(data.pressSensorVoltageN)},
    };
}

/// The four-channel thermometer as the module list shows it: the temperature of its stage.
QMap<QString, QVariant> tempM1Data(TempDriverM1 *d)
{
    if (!d->updateTemperature(TempDriverM1::StageChannel))
        return {};
    return {{QStringLiteral("temperature"), double(d->currentTemperature(TempDriverM1::StageChannel))}};
}

template <typename Sspd> QMap<QString, QVariant> sspdParams(Sspd *d, int attempts)
{
    bool ok = false;
    const VT4SDM0V1_Param_t params = freshValue(d->params(), attempts, &ok);
    // A time constant that is no number is a broken reply; a wild one is held to what a
    // module can count, so that the poll period made from it stays sane.
    if (!ok || !std::isfinite(params.timeConst))
        return {};
    return {
        {QStringLiteral("cmp_ref_level"), double(params.cmpReferenceLevel)},
        {QStringLiteral("time_const"), qBound(0.0, double(params.timeConst), DriverHelper::MaxTimeConstS)},
        {QStringLiteral("auto_reset_threshold"), double(params.autoResetThreshold)},
        {QStringLiteral("auto_reset_time_out"), double(params.autoResetTimeOut)},
        {QStringLiteral("auto_reset_counts"), QVariant::fromValue(uint(params.autoResetAlarmsCounts))},
    };
}

/// The four calibration pairs both SSPD modifications keep.
template <typename Eeprom> void insertSspdPairs(QMap<QString, QVariant> &constants, const Eeprom &eeprom)
{
    constants.insert(QStringLiteral("Current_ADC"), pairVariant(eeprom.currentAdcCoeff));
    constants.insert(QStringLiteral("Voltage_ADC"), pairVariant(eeprom.voltageAdcCoeff));
    constants.insert(QStringLiteral("Current_DAC"), pairVariant(eeprom.currentDacCoeff));
    constants.insert(QStringLiteral("Cmp_Ref_DAC"), pairVariant(eeprom.cmpReferenceCoeff));
}

/// The named constants as a driver writes them; `complete` turns false at the first one that is
/// missing or not a number.
class ConstantReader
{
public:
    explicit ConstantReader(const QMap<QString, QVariant> &constants) : m_constants(constants) {}

    bool complete() const { return m_complete; }

    pair_t<float> pair(const QString &name)
    {
        const QVariant value = m_constants.value(name);
        const CalibrationPair pair = value.value<CalibrationPair>();
        check(value.canConvert<CalibrationPair>(), pair.first, pair.second);
        return {float(pair.first), float(pair.second)};
    }
    float number(const QString &name)
    {
        bool ok = false;
        const double number = m_constants.value(name).toDouble(&ok);
        check(ok, number, 0);
        return float(number);
    }

private:
    void check(bool converts, double first, double second)
    {
        m_complete = m_complete && converts && std::isfinite(float(first)) && std::isfinite(float(second));
    }

    const QMap<QString, QVariant> &m_constants;
    bool m_complete = true;
};

template <typename Eeprom> void readSspdPairs(ConstantReader &reader, Eeprom &eeprom)
{
    eeprom.currentAdcCoeff = reader.pair(QStringLiteral("Current_ADC"));
    eeprom.currentDacCoeff = reader.pair(QStringLiteral("Current_DAC"));
    eeprom.voltageAdcCoeff = reader.pair(QStringLiteral("Voltage_ADC"));
    eeprom.cmpReferenceCoeff = reader.pair(QStringLiteral("Cmp_Ref_DAC"));
}

/// Writes one calibration record once every constant it needs was found.
template <typename Eeprom>
bool writeRecord(DriverProperty<Eeprom> *property, const Eeprom &eeprom, const ConstantReader &reader,
                 int attempts)
{
    if (!reader.complete())
        return false;
    bool ok = false;
    property->setValueSync(eeprom, &ok, attempts);
    return ok;
}

bool setTempM0Constants(TempDriverM0 *d, const QMap<QString, QVariant> &constants, int attempts)
{
    ConstantReader reader(constants);
    VT4TDM0V1_EEPROM_Const_t eeprom{};
    eeprom.tempSensorCurrentAdcCoeff = reader.pair(QStringLiteral("tempSensorCurrentAdc"));
    eeprom.tempSensorCurrentDacCoeff = reader.pair(QStringLiteral("tempSensorCurrentDac"));
    eeprom.tempSensorVoltageCoeff = reader.pair(QStringLiteral("tempSensorVoltage"));
    eeprom.pressSensorVoltagePCoeff = reader.pair(QStringLiteral("pressSensorVoltageP"));
    eeprom.pressSensorVoltageNCoeff = reader.pair(QStringLiteral("pressSensorVoltageN"));
    eeprom.pressSensorCoeff = reader.pair(QStringLiteral("pressSensorCoeffs"));
    VT4TDM0V1_Temp_Table_Item_t table[VT4TDM0_TempTablePoints];
    for (int i = 0; i < VT4TDM0_TempTablePoints; ++i) {
        const pair_t<float> point = reader.pair(tempTableKey(i));
        table[i] = {point.first, point.second};
    }
    if (!reader.complete())
        return false;
    const bool recordWritten = writeRecord(d->eepromConst(), eeprom, reader, attempts);
    // The table goes out even when the record was refused: the two are independent in the module.
    std::copy(table, table + VT4TDM0_TempTablePoints, d->tempTable());
    const bool tableWritten = d->sendTempTable();
    return recordWritten && tableWritten;
}

void insertTempM0Constants(QMap<QString, QVariant> &constants, TempDriverM0 *d)
{
    const VT4TDM0V1_EEPROM_Const_t eeprom = d->eepromConst()->currentValue();
    constants.insert(QStringLiteral("tempSensorCurrentAdc"), pairVariant(eeprom.tempSensorCurrentAdcCoeff));
    constants.insert(QStringLiteral("tempSensorCurrentDac"), pairVariant(eeprom.tempSensorCurrentDacCoeff));
    constants.insert(QStringLiteral("tempSensorVoltage"), pairVariant(eeprom.tempSensorVoltageCoeff));
    constants.insert(QStringLiteral("pressSensorVoltageP"), pairVariant(eeprom.pressSensorVoltagePCoeff));
    constants.insert(QStringLiteral("pressSensorVoltageN"), pairVariant(eeprom.pressSensorVoltageNCoeff));
    constants.insert(QStringLiteral("pressSensorCoeffs"), pairVariant(eeprom.pressSensorCoeff));
    const VT4TDM0V1_Temp_Table_Item_t *table = d->tempTable();
    for (int i = 0; i < VT4TDM0_TempTablePoints; ++i)
        constants.insert(tempTableKey(i),
                         QVariant::fromValue(CalibrationPair(table[i].voltage, table[i].temperature)));
}
} // namespace

DriverHelper::DriverHelper(CommonDriver *driver, QObject *parent)
    : QObject(parent), m_driver(driver), m_sspdM0(qobject_cast<SspdDriverM0 *>(driver)),
      m_sspdM1(qobject_cast<SspdDriverM1 *>(driver)), m_tempM0(qobject_cast<TempDriverM0 *>(driver)),
      m_tempM1(qobject_cast<TempDriverM1 *>(driver))
{
    if (m_sspdM0)
        m_deviceType = DeviceSspdM0;
    else if (m_sspdM1)
        m_deviceType = DeviceSspdM1;
    else if (m_tempM0)
        m_deviceType = DeviceTempM0;
    else if (m_tempM1)
        m_deviceType = DeviceTempM1;
}

bool DriverHelper::setParameter(const QString &name, const QVariant &value, int attempts)
{
    if (m_sspdM0)
        setSspdParameter(m_sspdM0, name, value, attempts);
    else if (m_sspdM1)
        setSspdParameter(m_sspdM1, name, value, attempts);
    else if (m_tempM0 && name == QLatin1String("operate"))
        operateTempM0(value.toBool(), attempts);
    else if (m_tempM0 && name == QLatin1String("temperature_sensor_current"))
        m_tempM0->tempSensorCurrent()->setValueSync(value.toFloat(), nullptr, attempts);
    return true;
}

void DriverHelper::operateTempM0(bool on, int attempts)
{
    if (m_tempM0->commutator()->currentValue() != on)
        m_tempM0->commutator()->setValueSync(on, nullptr, attempts);
}

QMap<QString, QVariant> DriverHelper::getDeviceData(int attempts)
{
    if (m_sspdM0)
        return sspdData(m_sspdM0, attempts);
    if (m_sspdM1)
        return sspdData(m_sspdM1, attempts);
    if (m_tempM0)
        return tempM0Data(m_tempM0, attempts);
    if (m_tempM1)
        return tempM1Data(m_tempM1);
    return {};
}

QMap<QString, QVariant> DriverHelper::getDeviceParams(int attempts)
{
    if (m_sspdM0)
        return sspdParams(m_sspdM0, attempts);
    if (m_sspdM1)
        return sspdParams(m_sspdM1, attempts);
    return {};
}

QVariant DriverHelper::getCurrentParameter(const QString &name) const
{
    if (name != QLatin1String("voltage"))
        return {};
    if (m_sspdM0)
        return double(m_sspdM0->voltage()->currentValue());
    if (m_sspdM1)
        return double(m_sspdM1->voltage()->currentValue());
    return {};
}

QMap<QString, QVariant> DriverHelper::getEepromConst(bool *ok)
{
    bool read = true;
    if (m_sspdM0) {
        m_sspdM0->eepromConst()->getValueSync(&read, SingleAttempt);
    } else if (m_sspdM1) {
        m_sspdM1->eepromConst()->getValueSync(&read, SingleAttempt);
    } else if (m_tempM0) {
        m_tempM0->eepromConst()->getValueSync(&read, SingleAttempt);
        read = m_tempM0->receiveTempTable() && read;
    }
    if (ok)
        *ok = read;
    return extractEepromConst();
}

QMap<QString, QVariant> DriverHelper::extractEepromConst()
{
    QMap<QString, QVariant> constants{
        {QStringLiteral("address"), int(m_driver->devAddress())},
        {QStringLiteral("type_str"), m_driver->deviceType()->getValueSync(nullptr, SingleAttempt)},
        {QStringLiteral("UDID"), m_driver->UDID()->getValueSync(nullptr, SingleAttempt).toDisplayString()},
    };
    if (m_deviceType == DeviceSspdM0 || m_deviceType == DeviceSspdM1 || m_deviceType == DeviceTempM0)
        constants.insert(QStringLiteral("type"), m_deviceType);
    if (m_sspdM0) {
        insertSspdPairs(constants, m_sspdM0->eepromConst()->currentValue());
    } else if (m_sspdM1) {
        const VT4SDM1_EEPROM_Const_t eeprom = m_sspdM1->eepromConst()->currentValue();
        insertSspdPairs(constants, eeprom);
        constants.insert(QStringLiteral("CurrentMonitor_ADC"), pairVariant(eeprom.currentMonitorAdcCoeff));
        constants.insert(QStringLiteral("PulseWidth"), double(eeprom.pulseWidthCoeff));
    } else if (m_tempM0) {
        insertTempM0Constants(constants, m_tempM0);
    }
    return constants;
}

bool DriverHelper::setEepromConst(const QMap<QString, QVariant> &constants, int attempts)
{
    ConstantReader reader(constants);
    if (m_sspdM0) {
        VT4SDM0V1_EEPROM_Const_t eeprom{};
        readSspdPairs(reader, eeprom);
        return writeRecord(m_sspdM0->eepromConst(), eeprom, reader, attempts);
    }
    if (m_sspdM1) {
        VT4SDM1_EEPROM_Const_t eeprom{};
        readSspdPairs(reader, eeprom);
        eeprom.currentMonitorAdcCoeff = reader.pair(QStringLiteral("CurrentMonitor_ADC"));
        eeprom.pulseWidthCoeff = reader.number(QStringLiteral("PulseWidth"));
        return writeRecord(m_sspdM1->eepromConst(), eeprom, reader, attempts);
    }
    if (m_tempM0)
        return setTempM0Constants(m_tempM0, constants, attempts);
    return false;
}

bool DriverHelper::writeEeprom()
{
    if (!m_sspdM0 && !m_sspdM1 && !m_tempM0)
        return false;
    bool ok = false;
    m_driver->writeEeprom()->executeSync(&ok, SingleAttempt);
    return ok;
}

void DriverHelper::delay(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms && !StopRequest::isPending()) {
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
}
