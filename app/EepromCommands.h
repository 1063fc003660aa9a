#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <functional>

class CommonDriver;

/// The worker's side of the calibration editor: reads a module's constants, sends edited ones
/// back and has the module keep them in its EEPROM. Every outcome the editor waits for is either
/// a result or an error text, so the editor never stays busy. Worker thread only.
class EepromCommands
{
public:
    enum class Step
    {
        Read,  ///< parameter: bus address
        Send,  ///< parameter: the editor's constants with the bus address under "address"
        Write, ///< parameter: bus address
    };

    struct Outcome
    {
        bool ok = false;
        int address = -1;
        QVariantMap constants; ///< the constants read (Read only)
        QString error;         ///< for the user when not ok
    };

    using DriverLookup = std::function<CommonDriver *(int address)>;

    explicit EepromCommands(DriverLookup lookup) : m_lookup(std::move(lookup)) {}

    Outcome run(Step step, const QVariant &parameter) const;

private:
    DriverLookup m_lookup;
};
