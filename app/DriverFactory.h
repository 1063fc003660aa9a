#pragma once

#include <QString>

class CommonDriver;
class QObject;

/// Makes the driver for a module from its type string. A type string matches a model when it
/// contains the model's name; the first model in the table wins.
class DriverFactory
{
public:
    /// Which models a call may make.
    enum Scope
    {
        /// The SSPD and temperature modules, which the program drives from the crate's list.
        CrateListModels,
        /// Those and the heater, SIS bias-source and SIS control-line modules, which the program
        /// does not drive from the crate's list but can drive when asked for them by name.
        AllModels
    };

    /// A new driver with `parent`, or none for a module outside `scope`.
    static CommonDriver *create(const QString &type, QObject *parent, Scope scope = CrateListModels);
};
