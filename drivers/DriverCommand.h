#pragma once

#include "DriverProperty_p.h"

/// A module action without a value: a property reduced to its setter code. The module's
/// acknowledgement runs the setted callbacks.
class DriverCommand : private DriverProperty_p
{
public:
    DriverCommand(AbstractDriver *driver, quint8 code);

    /// Sends the command and returns at once.
    void execute();
    /// Sends the command and waits for the acknowledgement, at most `attempts` times.
    void executeSync(bool *ok, int attempts);

    using DriverProperty_p::cmdSetter;
    using DriverProperty_p::settedSignal;
};
