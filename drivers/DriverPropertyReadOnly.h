#pragma once

#include "DriverProperty.h"

/// A value the module only reports: only the reading half is public, so a write does not compile.
template <typename T> class DriverPropertyReadOnly : private DriverProperty<T>
{
public:
    DriverPropertyReadOnly(AbstractDriver *driver, quint8 getter, quint8 setter)
        : DriverProperty<T>(driver, getter, setter)
    {
    }

    using DriverProperty<T>::gettedSignal;
    using DriverProperty<T>::getValue;
    using DriverProperty<T>::getValueSync;
    using DriverProperty<T>::setCurrentValue;
    using DriverProperty<T>::currentValue;
    using DriverProperty<T>::replyCount;
};
