#include "CommonDriver.h"

namespace {
constexpr quint8 NoCommand = DriverProperty_p::NoCommand;
constexpr int IdentityAttempts = 1;

/// One synchronous read of `property`; true when the module answered.
template <typename Property> bool answers(Property *property)
{
    bool ok = false;
    property->getValueSync(&ok, IdentityAttempts);
    return ok;
}
} // namespace

CommonDriver::CommonDriver(QObject *parent)
    : AbstractDriver(parent),
      m_deviceType(std::make_unique<DriverPropertyReadOnly<QString>>(this, 6, NoCommand)),
      m_modificationVersion(std::make_unique<DriverPropertyReadOnly<QString>>(this, 7, NoCommand)),
      m_hardwareVersion(std::make_unique<DriverPropertyReadOnly<QString>>(this, 8, NoCommand)),
      m_firmwareVersion(std::make_unique<DriverPropertyReadOnly<QString>>(this, 9, NoCommand)),
      m_deviceDescription(std::make_unique<DriverPropertyReadOnly<QString>>(this, 10, NoCommand)),
      m_UDID(std::make_unique<DriverPropertyReadOnly<cUDID>>(this, 5, NoCommand)),
      m_init(std::make_unique<DriverCommand>(this, 0)), m_shutDown(std::make_unique<DriverCommand>(this, 1)),
      m_silence(std::make_unique<DriverCommand>(this, 2)),
      m_reboot(std::make_unique<DriverCommand>(this, 11)),
      m_writeEeprom(std::make_unique<DriverCommand>(this, 12))
{
    m_writeEeprom->settedSignal()->subscribe([this] { emit eepromWrited(); });
}

// The members are deleted here, while the driver they unlist themselves from still exists.
CommonDriver::~CommonDriver() = default;

bool CommonDriver::getDeviceInfo()
{
    return answers(deviceType()) && answers(modificationVersion()) && answers(hardwareVersion()) &&
           answers(firmwareVersion()) && answers(deviceDescription()) && answers(UDID());
}
