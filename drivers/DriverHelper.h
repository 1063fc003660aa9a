#pragma once

#include "CalibrationPair.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QVariant>

class CommonDriver;
class SspdDriverM0;
class SspdDriverM1;
class TempDriverM0;
class TempDriverM1;

/// Flat, named access to one module: write a parameter by name, read the measured values or the
/// counting parameters as a map, read and write the calibration constants. Made for one use on
/// one driver by the worker and discarded; never owns the driver. Worker thread only.
class DriverHelper : public QObject
{
    Q_OBJECT
public:
    /// Same numbering as the module list's device types.
    enum DeviceType
    {
        DeviceSspdM0 = 0,
        DeviceSspdM1 = 1,
        DeviceTempM0 = 2,
        DeviceTempM1 = 3,
        DeviceOther = 4
    };

    static constexpr int OperateShortReleaseMs = 200; ///< a channel is opened this long after its switches
    static constexpr double MaxTimeConstS = 100;      ///< longest counting interval a module is given, s

    explicit DriverHelper(CommonDriver *driver, QObject *parent = nullptr);

    int deviceType() const { return m_deviceType; }

    /// Writes one named parameter synchronously with `attempts` attempts. Always true; a name
    /// that does not apply to the driver does nothing.
    bool setParameter(const QString &name, const QVariant &value, int attempts);
    /// The data record as named values; empty when it could not be read. A detector's "cps" is
    /// NaN (no reading) until one whole window has passed since its time constant was written.
    QMap<QString, QVariant> getDeviceData(int attempts);
    /// The counting parameters as named values; empty when unread or not a detector module.
    QMap<QString, QVariant> getDeviceParams(int attempts);
    /// "voltage" of a detector module from the cache, V; invalid for anything else.
    QVariant getCurrentParameter(const QString &name) const;
    /// Reads the calibration constants (and a temperature module's table) from the module, then
    /// returns extractEepromConst(). `ok`, when given, tells whether everything was read; after a
    /// failure the map still holds what the driver had cached.
    QMap<QString, QVariant> getEepromConst(bool *ok = nullptr);
    /// The named calibration constants from the cached records (no calibration read).
    QMap<QString, QVariant> extractEepromConst();
    /// Writes named calibration constants (a copy of the editor's values, as extractEepromConst()
    /// names them) to the module, not yet to its EEPROM. False when a constant of the module's
    /// type is missing or not a number (nothing is sent then), or when the module did not
    /// acknowledge the record or a table chunk.
    bool setEepromConst(const QMap<QString, QVariant> &constants, int attempts);
    /// Makes the module keep its calibration constants over a power cycle (detector modules and
    /// the single-sensor temperature module); false when it did not acknowledge, or has no EEPROM
    /// constants.
    bool writeEeprom();

    /// Waits `ms` milliseconds while the calling thread's events keep being delivered.
    static void delay(int ms);

private:
    /// Switches the commutator only when it is not already as asked.
    void operateTempM0(bool on, int attempts);

    CommonDriver *m_driver;
    SspdDriverM0 *m_sspdM0;
    SspdDriverM1 *m_sspdM1;
    TempDriverM0 *m_tempM0;
    TempDriverM1 *m_tempM1;
    int m_deviceType = DeviceOther;
};
