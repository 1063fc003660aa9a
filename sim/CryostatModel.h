#pragma once

#include <QtGlobal>
#include <random>

/// The cryostat's cold stage with its sorption pump, shared by every detector and thermometer of
/// a crate. Pure arithmetic on simulated time, like SspdPhysics: `advanceTo` moves the model on,
/// the readings describe its present state.
///
/// - The stage is one thermal mass tied to the helium bath: left alone it settles at the bath
///   (base) temperature with a first-order approach of one time constant.
/// - The sorption pump has a heater (relay 1 of the four-channel temperature module) and a heat
///   switch to the bath (relay 2). Heating the pump warms the stage by up to `heaterRise`, and
///   above `desorptionTemperature` the pump gives off its gas, which condenses on the stage:
///   the stage's charge of liquid grows. With the heater off and the switch closed the pump
///   cools; below `pumpingTemperature` it pumps on the liquid and the stage settles towards
///   `sorptionTemperature`, below the bath. Pumping uses the charge up: a full charge lasts
///   `holdTime`, then the stage warms back to the bath.
/// - A thermometer reads the stage temperature plus a small, bounded noise drawn from a seeded
///   generator; the gas in the cryostat's helium circuit follows the stage temperature.
class CryostatModel
{
public:
    struct Settings
    {
        double baseTemperature = 2.45;       ///< helium bath; the stage without pumping, K
        double heaterRise = 4.0;             ///< stage settling point above the bath while the pump heats, K
        double timeConstant = 40.0;          ///< thermal time constant of the stage, s
        double noise = 0.004;                ///< largest thermometer noise, ± K
        quint64 seed = 1;                    ///< seed of the thermometer noise
        double pumpHotTemperature = 40.0;    ///< settling point of the heated pump, K
        double pumpTimeConstant = 15.0;      ///< pump heating or cooling through the switch, s
        double pumpLeakTimeConstant = 600.0; ///< pump drifting to the bath with the switch open, s
        double desorptionTemperature = 20.0; ///< the pump gives off its gas above this, K
        double pumpingTemperature = 10.0;    ///< the pump pumps below this, K
        double sorptionTemperature = 0.35;   ///< stage settling point under full pumping, K
        double chargeTime = 120.0;           ///< desorption time that fills the stage, s
        double holdTime = 1800.0;            ///< pumping time a full charge lasts, s
    };

    static constexpr double PressureAtBase = 850.0; ///< helium circuit pressure at the base temperature, mbar
    static constexpr double MaxStep = 0.5;          ///< longest step of the model, simulated s

    CryostatModel();
    explicit CryostatModel(const Settings &settings);

    /// Moves the model on to `seconds` of simulated time; an earlier time than the last one
    /// changes nothing (several modules advance the one shared model, each at its own moments).
    void advanceTo(double seconds);

    /// Switches the sorption pump's heater, from the time last advanced to.
    void setHeaterOn(bool on) { m_heaterOn = on; }
    bool isHeaterOn() const { return m_heaterOn; }
    /// Closes or opens the heat switch between the pump and the bath.
    void setHeatSwitchClosed(bool closed) { m_heatSwitchClosed = closed; }
    bool isHeatSwitchClosed() const { return m_heatSwitchClosed; }

    /// The stage temperature without noise, K.
    double stageTemperature() const { return m_temperature; }
    /// The sorption pump's temperature without noise, K.
    double pumpTemperature() const { return m_pumpTemperature; }
    /// Liquid condensed on the stage, 0 (none) to 1 (full).
    double charge() const { return m_charge; }
    /// The stage temperature as a thermometer on it reads it, K (noise within ± `noise`).
    double readTemperature();
    /// The pump temperature as a thermometer on it reads it, K.
    double readPumpTemperature();
    /// Pressure of the helium circuit, mbar: proportional to the stage temperature.
    double pressure() const;

    const Settings &settings() const { return m_settings; }

private:
    void step(double seconds);
    double stageSettlingPoint() const;
    double noise();

    Settings m_settings;
    bool m_heaterOn = false;
    bool m_heatSwitchClosed = false;
    double m_temperature;     ///< K
    double m_pumpTemperature; ///< K
    double m_charge = 0.0;
    double m_lastTime = 0; ///< simulated s
    std::mt19937_64 m_random;
};
