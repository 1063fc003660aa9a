#pragma once

#include <QString>

class CommonDriver;
class QObject;

/// Makes the driver for a module from its type string. A type string matches a model when it
/// contains the model's name; the first model in the table wins.
class DriverFactory
{
public:
    /// A new driver with `parent`, or none for a module this program does not drive.
    static CommonDriver *create(const QString &type, QObject *parent);
};
