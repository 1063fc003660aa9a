#pragma once

/// The current–voltage curve of a superconductor–insulator–superconductor junction of niobium:
/// almost no current below the gap voltage (only a small sub-gap leakage), a sharp rise at the
/// gap, and an ohmic branch with the normal-state resistance above it. Odd in the voltage.
class SisJunction
{
public:
    struct Settings
    {
        double gapVoltage = 2.8e-3;      ///< V, niobium
        double normalResistance = 20.0;  ///< Ω, above the gap
        double subgapResistance = 600.0; ///< Ω, leakage below the gap
        double gapWidth = 0.04e-3;       ///< V, width of the current rise at the gap
    };

    SisJunction() = default;
    explicit SisJunction(const Settings &settings) : m_settings(settings) {}

    /// Junction current at `volts`, A.
    double current(double volts) const;
    /// The voltage at which the junction carries `amperes`, V (the curve rises monotonically).
    double voltage(double amperes) const;

    const Settings &settings() const { return m_settings; }

private:
    Settings m_settings;
};
