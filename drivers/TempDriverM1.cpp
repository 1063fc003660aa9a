#include "TempDriverM1.h"
#include "DriversLogging.h"
#include "TempTableTransfer.h"

#include <QMetaType>
#include <algorithm>
#include <cstring>

namespace {
constexpr quint8 NoCommand = DriverProperty_p::NoCommand;
constexpr int FloatSize = sizeof(float);

void registerRecordMetaTypes()
{
    qRegisterMetaType<cRelaysStatus>();
    qRegisterMetaType<cmd::enum_VT4TDM1_SwitcherMode>();
    qRegisterMetaType<DefaultParam>();
    qRegisterMetaType<TDM1_EepromCoeff>();
    qRegisterMetaType<VT4TDM0V1_Temp_Table_Item_t>();
}

QByteArray channelByte(unsigned char channel)
{
    return QByteArray(1, char(channel));
}
} // namespace

TempDriverM1::TempDriverM1(QObject *parent)
    : CommonDriver(parent), m_relaysStatus(std::make_unique<DriverProperty<cRelaysStatus>>(this, 42, 43)),
      m_switcherMode(std::make_unique<DriverProperty<cmd::enum_VT4TDM1_SwitcherMode>>(this, 44, 45)),
      m_voltageTransfer(std::make_unique<DriverTransferProperty>(this, 21, NoCommand)),
      // The module takes and acknowledges channel currents under one code.
      m_currentTransfer(std::make_unique<DriverTransferProperty>(this, 20, 20)),
      m_temperatureTransfer(std::make_unique<DriverTransferProperty>(this, 17, NoCommand)),
      m_defaultParamsTransfer(std::make_unique<DriverTransferProperty>(this, 46, 47)),
      m_eepromCoeffsTransfer(std::make_unique<DriverTransferProperty>(this, 26, 27)),
      m_tempTablesTransfer(std::make_unique<DriverTransferProperty>(this, 40, 41))
{
    registerRecordMetaTypes();
}

// The properties are deleted here, while the driver they unlist themselves from still exists.
TempDriverM1::~TempDriverM1() = default;

float TempDriverM1::currentVoltage(unsigned char channel) const
{
    return isChannel(channel) ? m_voltages[channel] : 0.0f;
}

float TempDriverM1::currentTemperature(unsigned char channel) const
{
    return isChannel(channel) ? m_temperatures[channel] : 0.0f;
}

bool TempDriverM1::readChannelFloats(DriverTransferProperty *transfer, unsigned char channel, float *values)
{
    const bool all = channel == VT4TDM1_AllChannels;
    if (!all && !isChannel(channel))
        return false;
    const int expected = (all ? VT4TDM1_Channels : 1) * FloatSize;
    const auto reply = transfer->read(channelByte(channel), ReadingAttempts);
    if (!reply || reply->size() != expected) {
        qCDebug(lcDrivers) << "channel read" << transfer->cmdGetter() << "from" << devAddress()
                           << "failed:" << (reply ? reply->size() : -1) << "bytes, expected" << expected;
        return false;
    }
    std::memcpy(all ? values : values + channel, reply->constData(), size_t(expected));
    return true;
}

bool TempDriverM1::updateVoltage()
{
    return readChannelFloats(m_voltageTransfer.get(), VT4TDM1_AllChannels, m_voltages);
}

bool TempDriverM1::updateTemperature()
{
    return readChannelFloats(m_temperatureTransfer.get(), VT4TDM1_AllChannels, m_temperatures);
}

bool TempDriverM1::updateVoltage(unsigned char channel)
{
    // The channel check keeps the all-channels byte out of the single-channel reads.
    return isChannel(channel) && readChannelFloats(m_voltageTransfer.get(), channel, m_voltages);
}

bool TempDriverM1::updateTemperature(unsigned char channel)
{
    return isChannel(channel) && readChannelFloats(m_temperatureTransfer.get(), channel, m_temperatures);
}

bool TempDriverM1::setCurrent(unsigned char channel, float current)
{
    if (!isChannel(channel) && channel != VT4TDM1_AllChannels)
        return false;
    QByteArray request = channelByte(channel);
    request.append(reinterpret_cast<const char *>(&current), FloatSize);
    return m_currentTransfer->write(request, ReadingAttempts);
}

bool TempDriverM1::setCurrent(float current)
{
    return setCurrent(VT4TDM1_AllChannels, current);
}

DefaultParam TempDriverM1::defaultParam(unsigned char channel) const
{
    return isChannel(channel) ? m_defaultParams[channel] : DefaultParam{};
}

void TempDriverM1::setDefaultParam(int channel, DefaultParam param)
{
    if (isChannel(channel))
        m_defaultParams[channel] = param;
}

bool TempDriverM1::writeDefaultParams()
{
    QByteArray request;
    for (const DefaultParam &param : m_defaultParams)
        param.appendWireImage(request);
    return m_defaultParamsTransfer->write(request, SettingsAttempts);
}

bool TempDriverM1::readDefaultParams()
{
    const auto reply = m_defaultParamsTransfer->read({}, SettingsAttempts);
    if (!reply || reply->size() != DefaultParamsWireSize)
        return false;
    for (int channel = 0; channel < VT4TDM1_Channels; ++channel)
        m_defaultParams[channel] =
            DefaultParam::fromWireImage(reply->constData() + channel * DefaultParam::WireSize);
    return true;
}

TDM1_EepromCoeff TempDriverM1::eepromCoeff(unsigned char channel) const
{
    return isChannel(channel) ? m_eepromCoeffs[channel] : TDM1_EepromCoeff{};
}

void TempDriverM1::setEepromCoeff(unsigned char channel, TDM1_EepromCoeff coeff)
{
    if (isChannel(channel))
        m_eepromCoeffs[channel] = coeff;
}

bool TempDriverM1::writeEepromCoeffs()
{
    const QByteArray request(reinterpret_cast<const char *>(m_eepromCoeffs), EepromCoeffsWireSize);
    return m_eepromCoeffsTransfer->write(request, SettingsAttempts);
}

bool TempDriverM1::readEepromCoeffs()
{
    const auto reply = m_eepromCoeffsTransfer->read({}, SettingsAttempts);
    if (!reply || reply->size() != EepromCoeffsWireSize)
        return false;
    std::memcpy(static_cast<void *>(m_eepromCoeffs), reply->constData(), EepromCoeffsWireSize);
    return true;
}

VT4TDM0V1_Temp_Table_Item_t TempDriverM1::tempTableItem(unsigned char channel, unsigned char index) const
{
    if (!isChannel(channel) || index >= VT4TDM0_TempTablePoints)
        return {};
    return m_tempTables[channel][index];
}

void TempDriverM1::setTempTableItem(unsigned char channel, unsigned char index,
                                    VT4TDM0V1_Temp_Table_Item_t item)
{
    if (isChannel(channel) && index < VT4TDM0_TempTablePoints)
        m_tempTables[channel][index] = item;
}

VT4TDM0V1_Temp_Table_Item_t *TempDriverM1::tempTable(unsigned char channel)
{
    return isChannel(channel) ? m_tempTables[channel] : nullptr;
}

void TempDriverM1::setTempTable(unsigned char channel, const VT4TDM0V1_Temp_Table_Item_t *items)
{
    if (isChannel(channel) && items)
        std::copy_n(items, VT4TDM0_TempTablePoints, m_tempTables[channel]);
}

bool TempDriverM1::sendTempTables()
{
    for (unsigned char channel = 0; channel < VT4TDM1_Channels; ++channel) {
        if (!TempTableTransfer(m_tempTablesTransfer.get(), channelByte(channel))
                 .send(m_tempTables[channel], SettingsAttempts))
            return false;
    }
    return true;
}

bool TempDriverM1::receiveTempTables()
{
    for (unsigned char channel = 0; channel < VT4TDM1_Channels; ++channel) {
        if (!TempTableTransfer(m_tempTablesTransfer.get(), channelByte(channel))
                 .receive(m_tempTables[channel], TableReceiveAttempts))
            return false;
    }
    return true;
}
