#pragma once

#include "DriverProperty_p.h"

#include <QByteArray>
#include <optional>

/// An untyped property whose getter replies may have any length: the requests that carry a
/// channel, an index or a variable number of items go through it, and its user checks the
/// length of what comes back. Unlike a bare synchronous request, an exchange counts only an
/// answer carrying its own command code, and a read never hands back an older reply.
class DriverTransferProperty : private DriverProperty_p
{
public:
    DriverTransferProperty(AbstractDriver *driver, quint8 getter, quint8 setter);

    qsizetype dataSize() const override { return AnyLength; }
    using DriverProperty_p::cmdGetter;
    using DriverProperty_p::cmdSetter;
    using DriverProperty_p::gettedSignal;
    using DriverProperty_p::settedSignal;

    /// Sends `request` with the getter code, at most `attempts` times; the reply's data bytes, or
    /// nothing when no reply for the getter code came.
    std::optional<QByteArray> read(const QByteArray &request, int attempts);
    /// Sends `data` with the setter code, at most `attempts` times; true when the module
    /// acknowledged that code.
    bool write(const QByteArray &data, int attempts);

private:
    bool m_replied = false;      ///< a getter reply arrived since the last attempt began
    bool m_acknowledged = false; ///< a setter acknowledgement arrived since the last attempt began
};
