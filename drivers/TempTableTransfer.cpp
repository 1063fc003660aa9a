#include "TempTableTransfer.h"
#include "DriverTransferProperty.h"
#include "DriversLogging.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int ItemSize = sizeof(VT4TDM0V1_Temp_Table_Item_t);

int chunkCount(int start)
{
    return std::min(VT4TDM0_TempTableChunkPoints, VT4TDM0_TempTablePoints - start);
}
} // namespace

TempTableTransfer::TempTableTransfer(DriverTransferProperty *transfer, QByteArray prefix)
    : m_transfer(transfer), m_prefix(std::move(prefix))
{
}

QByteArray TempTableTransfer::chunkHeader(int start, int count) const
{
    QByteArray header = m_prefix;
    header.append(char(start));
    header.append(char(count));
    return header;
}

bool TempTableTransfer::send(const VT4TDM0V1_Temp_Table_Item_t *table, int attempts) const
{
    for (int start = 0; start < VT4TDM0_TempTablePoints; start += VT4TDM0_TempTableChunkPoints) {
        const int count = chunkCount(start);
        QByteArray chunk = chunkHeader(start, count);
        chunk.append(reinterpret_cast<const char *>(table + start), count * ItemSize);
        if (!m_transfer->write(chunk, attempts)) {
            qCDebug(lcDrivers) << "table chunk at" << start << "not acknowledged";
            return false;
        }
    }
    return true;
}

bool TempTableTransfer::receive(VT4TDM0V1_Temp_Table_Item_t *table, int attempts) const
{
    for (int start = 0; start < VT4TDM0_TempTablePoints; start += VT4TDM0_TempTableChunkPoints) {
        const int count = chunkCount(start);
        const auto reply = m_transfer->read(chunkHeader(start, count), attempts);
        if (!reply || reply->size() != count * ItemSize) {
            qCDebug(lcDrivers) << "table chunk at" << start << "unread:" << (reply ? reply->size() : -1)
                               << "bytes";
            return false;
        }
        std::memcpy(static_cast<void *>(table + start), reply->constData(), size_t(count) * ItemSize);
    }
    return true;
}
