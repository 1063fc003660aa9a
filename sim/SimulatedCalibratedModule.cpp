#include "SimulatedCalibratedModule.h"

SimulatedCalibratedModule::SimulatedCalibratedModule(const ModuleDescription &description,
                                                     RecordImage calibration)
    : SimulatedModule(description), m_calibration(std::move(calibration))
{
}

std::optional<QByteArray> SimulatedCalibratedModule::handleCalibrationRequest(quint8 command,
                                                                              const QByteArray &data)
{
    return m_calibration.handle(command, data);
}

void SimulatedCalibratedModule::reloadCalibration()
{
    m_calibration.restoreFactory();
    loadEeprom(eepromContent());
}
