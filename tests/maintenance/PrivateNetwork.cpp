#include "PrivateNetwork.h"

#include <QCoreApplication>
#include <QNetworkInterface>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include <unistd.h>

namespace {
const char ParentNamespaceVariable[] = "VT_TEST_PARENT_NETNS";
const QString VethName = QStringLiteral("vt0");
const QString VethPeerName = QStringLiteral("vt1");
const QString Unshare = QStringLiteral("unshare");
const QString Ip = QStringLiteral("ip");
constexpr int CommandTimeoutMs = 10000;   ///< one `unshare` probe or `ip` command
constexpr int InterfaceTimeoutMs = 10000; ///< veth reporting running after it was set up
constexpr int NoTimeout = -1;             ///< the tests inside are bounded by their own time-outs

/// Identity of this process's network namespace, e.g. "net:[4026531840]".
QString networkNamespaceId()
{
    char buffer[256];
    const ssize_t length = ::readlink("/proc/self/ns/net", buffer, sizeof buffer);
    return length > 0 ? QString::fromLocal8Bit(buffer, int(length)) : QString();
}

bool vethCanBroadcast()
{
    const QNetworkInterface::InterfaceFlags needed =
        QNetworkInterface::IsUp | QNetworkInterface::IsRunning | QNetworkInterface::CanBroadcast;
    return (QNetworkInterface::interfaceFromName(VethName).flags() & needed) == needed;
}
} // namespace

const QString PrivateNetwork::Address = QStringLiteral("10.77.0.1");
const QString PrivateNetwork::BroadcastAddress = QStringLiteral("10.77.0.255");

bool PrivateNetwork::isInside() const
{
    const QString parent = qEnvironmentVariable(ParentNamespaceVariable);
    const QString own = networkNamespaceId();
    return !parent.isEmpty() && !own.isEmpty() && parent != own;
}

bool PrivateNetwork::runInside(const QStringList &arguments, int *exitCode)
{
    if (qEnvironmentVariableIsSet(ParentNamespaceVariable)) {
        // Started for a namespace but still in the parent's: never touch the interfaces here.
        m_reason = QStringLiteral("unshare did not give this test a network namespace of its own");
        return false;
    }
    // A user namespace as well where unprivileged ones are allowed; plain -n needs root.
    for (const QString &flags : {QStringLiteral("-rn"), QStringLiteral("-n")}) {
        if (!run(Unshare, {flags, QStringLiteral("true")}))
            continue;
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(ParentNamespaceVariable, networkNamespaceId());
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(Unshare, QStringList{flags, QCoreApplication::applicationFilePath()} + arguments.mid(1));
        if (!child.waitForFinished(NoTimeout) || child.exitStatus() != QProcess::NormalExit) {
            m_reason = QStringLiteral("the test run inside the network namespace crashed");
            *exitCode = EXIT_FAILURE;
            return true;
        }
        *exitCode = child.exitCode();
        return true;
    }
    m_reason = QStringLiteral("network namespaces are unavailable here (unshare -rn and unshare -n failed); "
                              "discovery is never tested on the host's own interfaces");
    return false;
}

bool PrivateNetwork::setUp()
{
    const QString cidr = Address + QStringLiteral("/24");
    const bool ok = run(Ip, {"link", "set", "lo", "up"}) &&
                    run(Ip, {"link", "add", VethName, "type", "veth", "peer", "name", VethPeerName}) &&
                    run(Ip, {"addr", "add", cidr, "brd", BroadcastAddress, "dev", VethName}) &&
                    run(Ip, {"link", "set", VethPeerName, "up"}) && run(Ip, {"link", "set", VethName, "up"});
    if (!ok)
        return false;
    if (!QTest::qWaitFor(vethCanBroadcast, InterfaceTimeoutMs)) {
        m_reason = QStringLiteral("the private network's interface %1 did not come up").arg(VethName);
        return false;
    }
    return true;
}

bool PrivateNetwork::run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (process.waitForFinished(CommandTimeoutMs) && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == 0)
        return true;
    const QString output = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    m_reason = QStringLiteral("'%1 %2' failed: %3")
                   .arg(program, arguments.join(' '), output.isEmpty() ? process.errorString() : output);
    return false;
}
