#pragma once

#include "DriverProperty.h"

/// A value the module only accepts: only the writing half is public, so a read does not compile.
template <typename T> class DriverPropertyWriteOnly : private DriverProperty<T>
{
public:
    DriverPropertyWriteOnly(AbstractDriver *driver, quint8 getter, quint8 setter)
        : DriverProperty<T>(driver, getter, setter)
    {
    }

    using DriverProperty<T>::settedSignal;
    using DriverProperty<T>::setValue;
    using DriverProperty<T>::setValueSync;
    using DriverProperty<T>::lastSettedValue;
};
