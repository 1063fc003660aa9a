#pragma once

#include "RecordImage.h"
#include "SimulatedModule.h"

/// A module whose calibration constants are one record, kept in its EEPROM as that record's
/// wire image.
class SimulatedCalibratedModule : public SimulatedModule
{
public:
    SimulatedCalibratedModule(const ModuleDescription &description, RecordImage calibration);

protected:
    const RecordImage &calibration() const { return m_calibration; }
    /// Answers the calibration record's getters and setters; nothing for any other code.
    std::optional<QByteArray> handleCalibrationRequest(quint8 command, const QByteArray &data);
    /// Back to the constants the EEPROM holds, or the factory ones when it holds none.
    void reloadCalibration();

    QByteArray eepromImage() const final { return m_calibration.image(); }
    void loadEeprom(const QByteArray &image) final { m_calibration.setImage(image); }

private:
    RecordImage m_calibration;
};
