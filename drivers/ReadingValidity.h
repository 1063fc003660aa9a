#pragma once

#include <QMap>
#include <QString>
#include <QVariant>

/// What a module's own record says about the reading it carries, judged on the named values of
/// one pass (counting parameters merged with the data record, as the worker reads them).
///
/// - A detector channel's count rate is a measurement only while the detector is not shorted
///   and the counter runs; otherwise the module reports 0 counts that mean nothing.
/// - A temperature module measures only while its commutator is on and the sensor carries an
///   excitation current; switched off it still reports a temperature, which is not the cryostat's.
/// - A biased detector channel is latched (its wire has switched to the normal state and counts
///   nothing) when it is not shorted, carries at least `MinLatchBias`, and its voltage is above
///   the module's auto-reset threshold, or the voltage over the bias current is above
///   `LatchResistance`. The second test still holds after the bias has been lowered below the
///   threshold's voltage, where the wire stays normal until the bias comes near 0.
class ReadingValidity
{
public:
    static constexpr const char *ValidKey = "reading_valid"; ///< bool: the main reading is a measurement
    static constexpr const char *LatchedKey = "latched";     ///< bool: a detector channel is latched

    static constexpr double MinLatchBias = 0.5e-6;   ///< A, below this the voltage is read-out noise
    static constexpr double LatchResistance = 500.0; ///< Ω, between leads (tens) and a hot spot (kΩ)

    /// Adds ValidKey (and LatchedKey for a detector module) to the values of one pass of a module
    /// of `deviceType` (the bridge's numbering); other modules are left as they are.
    static void mark(QMap<QString, QVariant> &values, int deviceType);

    static bool countRateValid(const QMap<QString, QVariant> &values);
    static bool temperatureValid(const QMap<QString, QVariant> &values);
    static bool latched(const QMap<QString, QVariant> &values);
};
