#include "DriverHelper.h"
#include "SspdDriverM0.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace {
constexpr std::uint8_t SspdM0OperateOnBits = 0x3C; ///< amplifier, RF key to comparator, comparator, counter
constexpr std::uint8_t SspdM0OperateKeepMask = 0xC3;
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
} // namespace

DriverHelper::DriverHelper(CommonDriver *driver, QObject *parent)
    : QObject(parent), m_driver(driver), m_sspdM0(qobject_cast<SspdDriverM0 *>(driver))
{
    if (m_sspdM0)
        m_deviceType = DeviceSspdM0;
}

bool DriverHelper::setParameter(const QString &name, const QVariant &value, int attempts)
{
    if (!m_sspdM0)
        return true;
    SspdDriverM0 *d = m_sspdM0;
    const float number = value.toFloat();
    const bool flag = value.toBool();
    if (name == QLatin1String("operate"))
        operateSspdM0(flag, attempts);
    else if (name == QLatin1String("current"))
        d->current()->setValueSync(number, nullptr, attempts);
    else if (name == QLatin1String("time_const"))
        d->timeConst()->setValueSync(number, nullptr, attempts);
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
    else if (name == QLatin1String("status_rfkey_to_cmp"))
        d->rfKeyEnable()->setValueSync(flag, nullptr, attempts);
    else if (name == QLatin1String("status_autoreset_on"))
        d->autoResetEnable()->setValueSync(flag, nullptr, attempts);
    else if (name == QLatin1String("auto_reset_threshold"))
        d->autoResetThreshold()->setValueSync(number, nullptr, attempts);
    else if (name == QLatin1String("auto_reset_time_out"))
        d->autoResetTimeOut()->setValueSync(number, nullptr, attempts);
    return true;
}

void DriverHelper::operateSspdM0(bool on, int attempts)
{
    std::uint8_t status = m_sspdM0->status()->currentValue().toByte();
    status = on ? (status | SspdM0OperateOnBits) : (status & SspdM0OperateKeepMask);
    // The switches always change with the detector shorted; it is opened once they have settled.
    status |= ShortedBit;
    m_sspdM0->status()->setValueSync(VT4SDM0_Status_t::fromByte(status), nullptr, attempts);
    if (!on)
        return;
    delay(OperateShortReleaseMs);
    m_sspdM0->shortEnable()->setValueSync(false, nullptr, attempts);
}

QMap<QString, QVariant> DriverHelper::getDeviceData(int attempts)
{
    if (!m_sspdM0)
        return {};
    bool ok = false;
    const VT4SDM0V1_Data_t data = m_sspdM0->data()->getValueSync(&ok, attempts);
    if (!ok)
        return {};
    const std::uint8_t status = data.status.toByte();
    const float timeConst = m_sspdM0->timeConst()->currentValue();
    // Until the time constant has been read there is no rate to give.
    const float cps = timeConst > 0 ? data.counts / timeConst : 0.0f;
    return {
        {QStringLiteral("current"), double(data.current)},
        {QStringLiteral("voltage"), double(data.voltage)},
        {QStringLiteral("counts"), double(data.counts)},
        {QStringLiteral("cps"), double(cps)},
        {QStringLiteral("status_inite"), statusBit(status, 0)},
        {QStringLiteral("status_shorted"), statusBit(status, 1)},
        {QStringLiteral("status_amplifier_on"), statusBit(status, 2)},
        {QStringLiteral("status_rfkey_to_cmp"), statusBit(status, 3)},
        {QStringLiteral("status_comparator_on"), statusBit(status, 4)},
        {QStringLiteral("status_counter_on"), statusBit(status, 5)},
        {QStringLiteral("status_autoreset_on"), statusBit(status, 6)},
        {QStringLiteral("status_error"), statusBit(status, 7)},
        {QStringLiteral("operate"), data.status.isOperating()},
    };
}

QMap<QString, QVariant> DriverHelper::getDeviceParams(int attempts)
{
    if (!m_sspdM0)
        return {};
    bool ok = false;
    const VT4SDM0V1_Param_t params = m_sspdM0->params()->getValueSync(&ok, attempts);
    if (!ok)
        return {};
    return {
        {QStringLiteral("cmp_ref_level"), double(params.cmpReferenceLevel)},
        {QStringLiteral("time_const"), double(params.timeConst)},
        {QStringLiteral("auto_reset_threshold"), double(params.autoResetThreshold)},
        {QStringLiteral("auto_reset_time_out"), double(params.autoResetTimeOut)},
        {QStringLiteral("auto_reset_counts"), QVariant::fromValue(uint(params.autoResetAlarmsCounts))},
    };
}

QVariant DriverHelper::getCurrentParameter(const QString &name) const
{
    if (m_sspdM0 && name == QLatin1String("voltage"))
        return double(m_sspdM0->voltage()->currentValue());
    return {};
}

QMap<QString, QVariant> DriverHelper::getEepromConst()
{
    if (m_sspdM0)
        m_sspdM0->eepromConst()->getValueSync(nullptr, SingleAttempt);
    return extractEepromConst();
}

QMap<QString, QVariant> DriverHelper::extractEepromConst()
{
    QMap<QString, QVariant> constants{
        {QStringLiteral("address"), int(m_driver->devAddress())},
        {QStringLiteral("type_str"), m_driver->deviceType()->getValueSync(nullptr, SingleAttempt)},
        {QStringLiteral("UDID"), m_driver->UDID()->getValueSync(nullptr, SingleAttempt).toDisplayString()},
    };
    if (m_sspdM0) {
        const VT4SDM0V1_EEPROM_Const_t eeprom = m_sspdM0->eepromConst()->currentValue();
        constants.insert(QStringLiteral("type"), int(DeviceSspdM0));
        constants.insert(QStringLiteral("Current_ADC"), pairVariant(eeprom.currentAdcCoeff));
        constants.insert(QStringLiteral("Voltage_ADC"), pairVariant(eeprom.voltageAdcCoeff));
        constants.insert(QStringLiteral("Current_DAC"), pairVariant(eeprom.currentDacCoeff));
        constants.insert(QStringLiteral("Cmp_Ref_DAC"), pairVariant(eeprom.cmpReferenceCoeff));
    }
    return constants;
}

void DriverHelper::setEepromConst(EepromDataStorage *storage, int attempts)
{
    // The calibration storage and its editor arrive with the calibration screens.
    Q_UNUSED(storage);
    Q_UNUSED(attempts);
}

void DriverHelper::writeEeprom()
{
    if (m_sspdM0)
        m_driver->writeEeprom()->executeSync(nullptr, SingleAttempt);
}

void DriverHelper::delay(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
}
