#include "SimulatedModule.h"

SimulatedModule::SimulatedModule(const ModuleDescription &description) : m_description(description) {}

SimulatedModule::~SimulatedModule() = default;

void SimulatedModule::restoreEeprom(const QByteArray &image)
{
    m_eepromContent = image;
    loadEeprom(image);
}

std::optional<QByteArray> SimulatedModule::handleModuleRequest(quint8, const QByteArray &)
{
    return std::nullopt;
}

std::optional<QByteArray> SimulatedModule::handleRequest(quint8 command, const QByteArray &data)
{
    // A module type may take over a common code, as a driver's property may (the newest wins).
    if (auto reply = handleModuleRequest(command, data))
        return reply;
    return handleCommonRequest(command);
}

std::optional<QByteArray> SimulatedModule::handleCommonRequest(quint8 command)
{
    switch (command) {
    case CodeUdid:
        return m_description.udid;
    case CodeType:
        return m_description.type.toUtf8();
    case CodeModification:
        return m_description.modification.toUtf8();
    case CodeHardware:
        return m_description.hardware.toUtf8();
    case CodeFirmware:
        return m_description.firmware.toUtf8();
    case CodeDescription:
        return m_description.description.toUtf8();
    case CodeInit:
        initialize();
        return QByteArray();
    case CodeShutDown:
        shutDown();
        return QByteArray();
    case CodeSilence:
        return QByteArray();
    case CodeReboot:
        reset();
        return QByteArray();
    case CodeWriteEeprom: {
        // A module that cannot keep its constants does not acknowledge: the program then sees a
        // failed write instead of a success that would be lost at the next start.
        const QByteArray image = eepromImage();
        if (m_eepromWriter && !m_eepromWriter(image))
            return std::nullopt;
        m_eepromContent = image;
        return QByteArray();
    }
    default:
        return std::nullopt;
    }
}
