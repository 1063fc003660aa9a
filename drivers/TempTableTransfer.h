#pragma once

#include "VT4TDM0Records.h"

#include <QByteArray>

class DriverTransferProperty;

/// Moves one 100-point sensor calibration table to or from a temperature module in chunks of
/// ten points. A chunk request is `prefix` (empty, or the channel byte), the start index, the
/// point count, then, when writing, the points as 8-byte images.
class TempTableTransfer
{
public:
    TempTableTransfer(DriverTransferProperty *transfer, QByteArray prefix);

    /// Writes `table` (100 points); stops at the first chunk not acknowledged within `attempts`
    /// and returns false. The chunks written before stay written in the module.
    bool send(const VT4TDM0V1_Temp_Table_Item_t *table, int attempts) const;
    /// Reads into `table` (100 points); stops at the first chunk that gets no reply within
    /// `attempts`, or whose reply is not exactly the chunk's points, and returns false. That
    /// chunk stores nothing; the chunks read before stay stored.
    bool receive(VT4TDM0V1_Temp_Table_Item_t *table, int attempts) const;

private:
    QByteArray chunkHeader(int start, int count) const;

    DriverTransferProperty *m_transfer;
    QByteArray m_prefix;
};
