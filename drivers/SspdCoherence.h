#pragma once

// Record coherence both SSPD modifications share: their accessors, records and slots carry the
// same names, so one template serves either driver. Each driver adds what its modification has
// on top (the data record's own fields, the bit-3 switch, the calibration record's extras).

#include "RecordCoherence.h"
#include "StatusByte.h"

namespace SspdCoherence {

/// Data record fields current, voltage, counts and status; the status write and the five
/// switches other than bit 3; the counting-parameter record and its five fields.
template <typename Driver> void subscribeShared(Driver *d)
{
    using namespace RecordCoherence;
    using Data = decltype(d->data()->currentValue());
    using Param = decltype(d->params()->currentValue());
    const auto publishData = &Driver::updateData;
    const auto publishStatus = &Driver::updateStatus;
    const auto publishParams = &Driver::updateParams;

    mirrorOnGetted(d, publishData, d->current(), d->data(), &Data::current);
    mirrorOnGetted(d, publishData, d->voltage(), d->data(), &Data::voltage);
    mirrorOnGetted(d, publishData, d->counts(), d->data(), &Data::counts);
    mirrorOnGetted(d, publishData, d->status(), d->data(), &Data::status);
    mirrorOnSetted(d, publishData, d->status(), d->data(), &Data::status);
    mirrorSwitch(d, publishStatus, d->shortEnable(), d->status(), SspdStatusBit::Short);
    mirrorSwitch(d, publishStatus, d->amplifierEnable(), d->status(), SspdStatusBit::Amplifier);
    mirrorSwitch(d, publishStatus, d->cmpLatchEnable(), d->status(), SspdStatusBit::CmpLatch);
    mirrorSwitch(d, publishStatus, d->counterEnable(), d->status(), SspdStatusBit::Counter);
    mirrorSwitch(d, publishStatus, d->autoResetEnable(), d->status(), SspdStatusBit::AutoReset);

    d->params()->gettedSignal()->subscribe([d] {
        const Param record = d->params()->currentValue();
        copyField(d->cmpReferenceLevel(), record, &Param::cmpReferenceLevel);
        copyField(d->timeConst(), record, &Param::timeConst);
        copyField(d->autoResetThreshold(), record, &Param::autoResetThreshold);
        copyField(d->autoResetTimeOut(), record, &Param::autoResetTimeOut);
        copyField(d->autoResetAlarmsCounts(), record, &Param::autoResetAlarmsCounts);
        d->updateParams(record);
    });
    mirrorOnGetted(d, publishParams, d->cmpReferenceLevel(), d->params(), &Param::cmpReferenceLevel);
    mirrorOnGetted(d, publishParams, d->timeConst(), d->params(), &Param::timeConst);
    mirrorOnGetted(d, publishParams, d->autoResetThreshold(), d->params(), &Param::autoResetThreshold);
    mirrorOnGetted(d, publishParams, d->autoResetTimeOut(), d->params(), &Param::autoResetTimeOut);
    mirrorOnGetted(d, publishParams, d->autoResetAlarmsCounts(), d->params(), &Param::autoResetAlarmsCounts);
}

/// The four calibration pairs both modifications have: cached from the calibration record when
/// it is read, and mirrored into it when one of them is read.
template <typename Driver, typename Eeprom> void copySharedPairs(Driver *d, const Eeprom &record)
{
    using RecordCoherence::copyField;
    copyField(d->currentAdcCoeff(), record, &Eeprom::currentAdcCoeff);
    copyField(d->currentDacCoeff(), record, &Eeprom::currentDacCoeff);
    copyField(d->voltageAdcCoeff(), record, &Eeprom::voltageAdcCoeff);
    copyField(d->cmpReferenceCoeff(), record, &Eeprom::cmpReferenceCoeff);
}

template <typename Driver> void mirrorSharedPairs(Driver *d)
{
    using RecordCoherence::mirrorOnGetted;
    using Eeprom = decltype(d->eepromConst()->currentValue());
    const auto publish = &Driver::updateEEPROM;
    mirrorOnGetted(d, publish, d->currentAdcCoeff(), d->eepromConst(), &Eeprom::currentAdcCoeff);
    mirrorOnGetted(d, publish, d->currentDacCoeff(), d->eepromConst(), &Eeprom::currentDacCoeff);
    mirrorOnGetted(d, publish, d->voltageAdcCoeff(), d->eepromConst(), &Eeprom::voltageAdcCoeff);
    mirrorOnGetted(d, publish, d->cmpReferenceCoeff(), d->eepromConst(), &Eeprom::cmpReferenceCoeff);
}

} // namespace SspdCoherence
