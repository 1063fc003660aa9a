#pragma once

#include "DriverProperty_p.h"
#include "DriverValueCodec.h"

/// A module value of type T, read with the getter code and written with the setter code,
/// asynchronously or synchronously. Keeps the last received and the last sent value.
template <typename T> class DriverProperty : private DriverProperty_p
{
    using Codec = DriverValueCodec<T>;

public:
    DriverProperty(AbstractDriver *driver, quint8 getter, quint8 setter)
        : DriverProperty_p(driver, getter, setter)
    {
    }
    ~DriverProperty() override = default;

    qsizetype dataSize() const override { return Codec::Size; }
    using DriverProperty_p::cmdGetter;
    using DriverProperty_p::cmdSetter;
    using DriverProperty_p::gettedSignal;
    using DriverProperty_p::replyCount;
    using DriverProperty_p::settedSignal;

    /// Asks the module for the value; the reply updates currentValue() and runs the getted callbacks.
    virtual void getValue() { readWrite(cmdGetter(), {}); }
    /// Reads the value, waiting up to the driver's time-out per attempt. Without an answer
    /// `ok` is false and the previous value is returned.
    virtual T getValueSync(bool *ok, const int &attempts)
    {
        return Codec::decode(readWriteSync(cmdGetter(), {}, ok, attempts));
    }
    /// Stores a value locally, without bus traffic and without callbacks.
    virtual void setCurrentValue(const T &value) { setBufferData(Codec::encode(value)); }
    virtual T currentValue() const { return Codec::decode(data()); }
    /// Writes the value; the acknowledgement runs the setted callbacks.
    virtual void setValue(const T &value) { readWrite(cmdSetter(), Codec::encode(value)); }
    /// Writes the value, waiting for the acknowledgement up to the driver's time-out per attempt.
    virtual void setValueSync(const T &value, bool *ok, const int &attempts)
    {
        readWriteSync(cmdSetter(), Codec::encode(value), ok, attempts);
    }
    virtual T lastSettedValue() const { return Codec::decode(lastSettedData()); }
};
