#pragma once

#include "AbstractDriver.h"
#include "DriverCommand.h"
#include "DriverPropertyReadOnly.h"
#include "cUDID.h"

#include <QString>
#include <memory>

/// What every module answers: five identity texts, the unique identifier, and the commands
/// init, shut down, silence, reboot and write-EEPROM. Every module driver derives from it.
class CommonDriver : public AbstractDriver
{
    Q_OBJECT
public:
    explicit CommonDriver(QObject *parent = nullptr);
    ~CommonDriver() override;

    DriverPropertyReadOnly<QString> *deviceType() const { return m_deviceType.get(); }
    DriverPropertyReadOnly<QString> *modificationVersion() const { return m_modificationVersion.get(); }
    DriverPropertyReadOnly<QString> *hardwareVersion() const { return m_hardwareVersion.get(); }
    DriverPropertyReadOnly<QString> *firmwareVersion() const { return m_firmwareVersion.get(); }
    DriverPropertyReadOnly<QString> *deviceDescription() const { return m_deviceDescription.get(); }
    DriverPropertyReadOnly<cUDID> *UDID() const { return m_UDID.get(); }
    DriverCommand *init() const { return m_init.get(); }
    DriverCommand *shutDown() const { return m_shutDown.get(); }
    DriverCommand *silence() const { return m_silence.get(); }
    DriverCommand *reboot() const { return m_reboot.get(); }
    DriverCommand *writeEeprom() const { return m_writeEeprom.get(); }

    /// Reads the five identity texts and the identifier in that order, one attempt each, and
    /// stops at the first that gets no answer. True when all six answered; the values stay in
    /// the properties.
    bool getDeviceInfo();

signals:
    /// The module acknowledged the write-EEPROM command.
    void eepromWrited();

private:
    std::unique_ptr<DriverPropertyReadOnly<QString>> m_deviceType;
    std::unique_ptr<DriverPropertyReadOnly<QString>> m_modificationVersion;
    std::unique_ptr<DriverPropertyReadOnly<QString>> m_hardwareVersion;
    std::unique_ptr<DriverPropertyReadOnly<QString>> m_firmwareVersion;
    std::unique_ptr<DriverPropertyReadOnly<QString>> m_deviceDescription;
    std::unique_ptr<DriverPropertyReadOnly<cUDID>> m_UDID;
    std::unique_ptr<DriverCommand> m_init;
    std::unique_ptr<DriverCommand> m_shutDown;
    std::unique_ptr<DriverCommand> m_silence;
    std::unique_ptr<DriverCommand> m_reboot;
    std::unique_ptr<DriverCommand> m_writeEeprom;
};
