#pragma once

#include "RecordCoherence.h"

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

/// Keeps one composite record of a driver coherent with the single-value properties that mirror
/// its fields, each field named once:
///   RecordMirror(this, m_data.get(), &Driver::updateData).field(m_current.get(), &Data::current);
/// A read of the record copies every field into its single, runs `afterCopy` and publishes the
/// record through `publish` (the driver's slot that caches and announces it); a read of a single
/// replaces its field in the cached record and publishes that. The subscriptions live as long as
/// the properties, so the mirror object itself may go out of scope.
template <typename Driver, typename RecordProperty, typename Publish> class RecordMirror
{
public:
    using Record = std::decay_t<decltype(std::declval<RecordProperty &>().currentValue())>;

    RecordMirror(Driver *driver, RecordProperty *record, Publish publish,
                 std::function<void()> afterCopy = {})
        : m_driver(driver), m_record(record), m_publish(publish), m_copies(std::make_shared<Copies>())
    {
        record->gettedSignal()->subscribe([driver, record, publish, copies = m_copies, afterCopy] {
            const Record value = record->currentValue();
            for (const auto &copy : *copies)
                copy(value);
            if (afterCopy)
                afterCopy();
            std::invoke(publish, driver, value);
        });
    }

    template <typename Single, typename Value> RecordMirror &field(Single *single, Value Record::*member)
    {
        m_copies->push_back(
            [single, member](const Record &value) { RecordCoherence::copyField(single, value, member); });
        RecordCoherence::mirrorOnGetted(m_driver, m_publish, single, m_record, member);
        return *this;
    }

private:
    using Copies = std::vector<std::function<void(const Record &)>>;

    Driver *m_driver;
    RecordProperty *m_record;
    Publish m_publish;
    std::shared_ptr<Copies> m_copies;
};
