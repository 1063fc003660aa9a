#pragma once

#include "ModuleDescription.h"

#include <QByteArray>
#include <functional>
#include <optional>

/// One module on the crate's bus. Every module answers the identity getters (5 unique
/// identifier, 6 type, 7 modification, 8 hardware, 9 firmware, 10 description) and acknowledges
/// the housekeeping commands (0 init, 1 shut down, 2 silence, 11 reboot, 12 write EEPROM).
/// A module type adds its own codes by overriding `handleModuleRequest`.
///
/// A reply always carries the request's command code, so a handler returns only the reply's
/// data bytes; no value means the module does not answer (unknown code, malformed request).
class SimulatedModule
{
public:
    /// Stores a calibration image in the module's EEPROM; false when it could not be kept.
    using EepromWriter = std::function<bool(const QByteArray &image)>;

    enum CommonCode : quint8
    {
        CodeInit = 0,
        CodeShutDown = 1,
        CodeSilence = 2,
        CodeUdid = 5,
        CodeType = 6,
        CodeModification = 7,
        CodeHardware = 8,
        CodeFirmware = 9,
        CodeDescription = 10,
        CodeReboot = 11,
        CodeWriteEeprom = 12,
    };

    explicit SimulatedModule(const ModuleDescription &description);
    virtual ~SimulatedModule();
    SimulatedModule(const SimulatedModule &) = delete;
    SimulatedModule &operator=(const SimulatedModule &) = delete;

    const ModuleDescription &description() const { return m_description; }
    /// A firmware update has written a new version.
    void setFirmware(const QString &version) { m_description.firmware = version; }

    /// Answers one request: the reply's data, or nothing when the module stays silent.
    std::optional<QByteArray> handleRequest(quint8 command, const QByteArray &data);

    /// Where write-EEPROM stores the calibration image (the crate's state file).
    void setEepromWriter(EepromWriter writer) { m_eepromWriter = std::move(writer); }
    /// Puts a calibration image kept from an earlier run into the EEPROM and loads it.
    void restoreEeprom(const QByteArray &image);
    /// Back to the power-on state (reboot, crate reset, power off); the EEPROM keeps its content.
    virtual void reset() {}

protected:
    /// The module type's own codes; by default none.
    virtual std::optional<QByteArray> handleModuleRequest(quint8 command, const QByteArray &data);
    /// Code 0: the module initialises its hardware.
    virtual void initialize() {}
    /// Code 1: the module puts its outputs into a safe state.
    virtual void shutDown() {}
    /// The calibration image write-EEPROM stores; empty for a module without constants.
    virtual QByteArray eepromImage() const { return {}; }
    /// Takes the working constants from an EEPROM image; a wrong-sized image is ignored.
    virtual void loadEeprom(const QByteArray &) {}
    /// What the EEPROM holds: the last image written or restored (empty: factory constants).
    const QByteArray &eepromContent() const { return m_eepromContent; }

private:
    std::optional<QByteArray> handleCommonRequest(quint8 command);

    ModuleDescription m_description;
    EepromWriter m_eepromWriter;
    QByteArray m_eepromContent;
};
