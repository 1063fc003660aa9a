#pragma once

// Record coherence both SSPD modifications share: their accessors, records and slots carry the
// same names, so one template serves either driver. Each driver adds what its modification has
// on top (the data record's own fields, the bit-3 switch, the calibration record's extras) to
// the mirrors returned here.

#include "RecordMirror.h"
#include "StatusByte.h"

namespace SspdCoherence {

/// Data record fields current, voltage, counts and status.
template <typename Driver> auto mirrorSharedData(Driver *d)
{
    using Data = decltype(d->data()->currentValue());
    RecordMirror mirror(d, d->data(), &Driver::updateData);
    mirror.field(d->current(), &Data::current)
        .field(d->voltage(), &Data::voltage)
        .field(d->counts(), &Data::counts)
        .field(d->status(), &Data::status);
    return mirror;
}

/// The status write and the five switches other than bit 3; the counting-parameter record and
/// its five fields.
template <typename Driver> void subscribeShared(Driver *d)
{
    using namespace RecordCoherence;
    using Data = decltype(d->data()->currentValue());
    using Param = decltype(d->params()->currentValue());
    const auto publishStatus = &Driver::updateStatus;

    mirrorOnSetted(d, &Driver::updateData, d->status(), d->data(), &Data::status);
    mirrorSwitch(d, publishStatus, d->shortEnable(), d->status(), SspdStatusBit::Short);
    mirrorSwitch(d, publishStatus, d->amplifierEnable(), d->status(), SspdStatusBit::Amplifier);
    mirrorSwitch(d, publishStatus, d->cmpLatchEnable(), d->status(), SspdStatusBit::CmpLatch);
    mirrorSwitch(d, publishStatus, d->counterEnable(), d->status(), SspdStatusBit::Counter);
    mirrorSwitch(d, publishStatus, d->autoResetEnable(), d->status(), SspdStatusBit::AutoReset);

    RecordMirror(d, d->params(), &Driver::updateParams)
        .field(d->cmpReferenceLevel(), &Param::cmpReferenceLevel)
        .field(d->timeConst(), &Param::timeConst)
        .field(d->autoResetThreshold(), &Param::autoResetThreshold)
        .field(d->autoResetTimeOut(), &Param::autoResetTimeOut)
        .field(d->autoResetAlarmsCounts(), &Param::autoResetAlarmsCounts);
}

/// The four calibration pairs both modifications have.
template <typename Driver> auto mirrorSharedCalibration(Driver *d)
{
    using Eeprom = decltype(d->eepromConst()->currentValue());
    RecordMirror mirror(d, d->eepromConst(), &Driver::updateEEPROM);
    mirror.field(d->currentAdcCoeff(), &Eeprom::currentAdcCoeff)
        .field(d->currentDacCoeff(), &Eeprom::currentDacCoeff)
        .field(d->voltageAdcCoeff(), &Eeprom::voltageAdcCoeff)
        .field(d->cmpReferenceCoeff(), &Eeprom::cmpReferenceCoeff);
    return mirror;
}

} // namespace SspdCoherence
