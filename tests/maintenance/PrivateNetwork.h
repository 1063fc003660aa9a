#pragma once

#include <QString>
#include <QStringList>

/// A network of the test's own, so that discovery never broadcasts on the host's interfaces.
/// The test program runs itself again inside a new network namespace (`unshare`); there it brings
/// up loopback and a veth pair whose address has a broadcast address. Where no namespace can be
/// made the tests run outside and must skip with `unavailableReason()`.
class PrivateNetwork
{
public:
    static const QString Address;          ///< this computer on the private network
    static const QString BroadcastAddress; ///< broadcast address of that network

    /// True when this process runs in a namespace other than the one that started the test.
    bool isInside() const;
    /// Outside: runs this program with `arguments` inside a new namespace and waits for it.
    /// True with its exit code when it ran; false with `unavailableReason()` set otherwise.
    bool runInside(const QStringList &arguments, int *exitCode);
    /// Inside: brings the interfaces up and waits until they can broadcast; false with
    /// `unavailableReason()` set when that fails.
    bool setUp();
    QString unavailableReason() const { return m_reason; }

private:
    bool run(const QString &program, const QStringList &arguments);

    QString m_reason;
};
