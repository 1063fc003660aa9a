#pragma once

// Callbacks that keep a driver's composite records coherent with the single-value properties
// mirroring their fields. Cached values change only through setCurrentValue, which sends
// nothing and runs no callbacks, so these callbacks never chain. `update` is the driver's slot
// that caches a record and publishes it (a pointer to member taking the record).

#include "DriverPropertyWriteOnly.h"

#include <cstdint>
#include <functional>

namespace RecordCoherence {

/// Sets the cached value of `single` from `field` of `record`.
template <typename Single, typename Record, typename Value>
void copyField(Single *single, const Record &record, Value Record::*field)
{
    single->setCurrentValue(record.*field);
}

/// When `signal` runs, `read()` replaces `field` of the cached record, which is then published
/// through `update`.
template <typename Driver, typename Update, typename RecordProperty, typename Record, typename Value,
          typename Read>
void mirrorField(PropertySignal *signal, Driver *driver, Update update, RecordProperty *record,
                 Value Record::*field, Read read)
{
    signal->subscribe([driver, update, record, field, read] {
        Record value = record->currentValue();
        value.*field = read();
        std::invoke(update, driver, value);
    });
}

/// When `single` is read back, its value replaces `field` of the cached record.
template <typename Driver, typename Update, typename Single, typename RecordProperty, typename Record,
          typename Value>
void mirrorOnGetted(Driver *driver, Update update, Single *single, RecordProperty *record,
                    Value Record::*field)
{
    mirrorField(single->gettedSignal(), driver, update, record, field,
                [single] { return single->currentValue(); });
}

/// When a write of `single` is acknowledged, the value written replaces `field` of the cached record.
template <typename Driver, typename Update, typename Single, typename RecordProperty, typename Record,
          typename Value>
void mirrorOnSetted(Driver *driver, Update update, Single *single, RecordProperty *record,
                    Value Record::*field)
{
    mirrorField(single->settedSignal(), driver, update, record, field,
                [single] { return single->lastSettedValue(); });
}

/// When a write of the switch is acknowledged, the cached status with `bit` set to the value
/// written is published through `update` (the driver's updateStatus); the cached status
/// property itself stays as it is.
template <typename Driver, typename Update, typename StatusProperty>
void mirrorSwitch(Driver *driver, Update update, DriverPropertyWriteOnly<bool> *single,
                  StatusProperty *status, int bit)
{
    single->settedSignal()->subscribe([driver, update, single, status, bit] {
        using Status = decltype(status->currentValue());
        const auto mask = static_cast<std::uint8_t>(1u << bit);
        std::uint8_t byte = status->currentValue().toByte() & ~mask;
        if (single->lastSettedValue())
            byte |= mask;
        std::invoke(update, driver, Status::fromByte(byte));
    });
}

} // namespace RecordCoherence
