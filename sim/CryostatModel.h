#pragma once

#include <QtGlobal>
#include <random>

/// The cryostat's cold stage, shared by every detector and thermometer of a crate. Pure
/// arithmetic on simulated time, like SspdPhysics: `advanceTo` moves the model on, the readings
/// describe its present state.
///
/// - The stage is one thermal mass tied to the cold head: without heating it settles at the base
///   temperature; it follows a first-order (exponential) approach with one time constant.
/// - The heater on the stage (wired to relay 1 of the four-channel temperature module) lifts
///   the settling point by `heaterRise`, so the stage warms while it is on and cools back over a
///   few minutes once it is off.
/// - A thermometer reads the stage temperature plus a small, bounded noise drawn from a seeded
///   generator; the gas in the cryostat's helium circuit follows the stage temperature.
class CryostatModel
{
public:
    struct Settings
    {
        double baseTemperature = 2.45; ///< stage temperature with the heater off, K
        double heaterRise = 4.0;       ///< settling point above the base with the heater on, K
        double timeConstant = 40.0;    ///< thermal time constant of the stage, s
        double noise = 0.004;          ///< largest thermometer noise, ± K
        quint64 seed = 1;              ///< seed of the thermometer noise
    };

    static constexpr double PressureAtBase = 850.0; ///< helium circuit pressure at the base temperature, mbar

    CryostatModel();
    explicit CryostatModel(const Settings &settings);

    /// Moves the model on to `seconds` of simulated time; an earlier time than the last one
    /// changes nothing (several modules advance the one shared model, each at its own moments).
    void advanceTo(double seconds);

    /// Switches the stage heater, from the time last advanced to.
    void setHeaterOn(bool on) { m_heaterOn = on; }
    bool isHeaterOn() const { return m_heaterOn; }

    /// The stage temperature without noise, K.
    double stageTemperature() const { return m_temperature; }
    /// The stage temperature as a thermometer on it reads it, K (noise within ± `noise`).
    double readTemperature();
    /// Pressure of the helium circuit, mbar: proportional to the stage temperature.
    double pressure() const;

    const Settings &settings() const { return m_settings; }

private:
    Settings m_settings;
    bool m_heaterOn = false;
    double m_temperature;  ///< K
    double m_lastTime = 0; ///< simulated s
    std::mt19937_64 m_random;
};
