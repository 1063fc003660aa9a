#pragma once

#include <QtGlobal>

#include <cstddef>

/// Head of the last decoded frame, in wire order.
struct PacketHead
{
    quint8 address;    ///< bus address of the module
    quint8 command;    ///< command code
    quint8 dataLength; ///< number of data bytes (0 to 255)
};

static_assert(sizeof(PacketHead) == 3, "PacketHead is three bytes without padding");
static_assert(offsetof(PacketHead, address) == 0 && offsetof(PacketHead, command) == 1 &&
                  offsetof(PacketHead, dataLength) == 2,
              "PacketHead keeps the wire order address, command, dataLength");
