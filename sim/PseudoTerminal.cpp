#include "PseudoTerminal.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace {
constexpr int WriteRetryMs = 100; ///< longest wait for room in the terminal's buffer per write
constexpr int ReadChunk = 4096;   ///< bytes

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}
} // namespace

PseudoTerminal::PseudoTerminal(QObject *parent) : QObject(parent) {}

PseudoTerminal::~PseudoTerminal()
{
    delete m_notifier;
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool PseudoTerminal::open(QString *error)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        *error = systemError("cannot open a pseudo-terminal");
        return false;
    }
    const char *name = ::ptsname(m_master);
    if (!name) {
        *error = systemError("ptsname");
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios settings{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &settings) != 0) {
        *error = systemError("cannot open the pseudo-terminal's slave side");
        return false;
    }
    ::cfmakeraw(&settings);
    if (::tcsetattr(m_slave, TCSANOW, &settings) != 0) {
        *error = systemError("cannot set raw mode");
        return false;
    }
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read);
    connect(m_notifier, &QSocketNotifier::activated, this, &PseudoTerminal::readMaster);
    return true;
}

void PseudoTerminal::readMaster()
{
    QByteArray bytes;
    char chunk[ReadChunk];
    for (;;) {
        const ssize_t count = ::read(m_master, chunk, sizeof chunk);
        if (count <= 0)
            break;
        bytes.append(chunk, static_cast<qsizetype>(count));
    }
    if (!bytes.isEmpty())
        emit received(bytes);
}

void PseudoTerminal::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t count =
            ::write(m_master, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (count > 0) {
            done += count;
            continue;
        }
        if (count < 0 && errno != EAGAIN && errno != EINTR)
            return;
        pollfd room{m_master, POLLOUT, 0};
        if (::poll(&room, 1, WriteRetryMs) <= 0)
            return; // nobody reads: the bytes are lost, as on a line without a listener
    }
}
