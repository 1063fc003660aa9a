#include "InterruptWatcher.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

InterruptWatcher::InterruptWatcher(QObject *parent) : QObject(parent) {}

InterruptWatcher::~InterruptWatcher()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

bool InterruptWatcher::install()
{
    sigset_t watched;
    sigemptyset(&watched);
    sigaddset(&watched, SIGINT);
    sigaddset(&watched, SIGTERM);
    m_fd = ::signalfd(-1, &watched, SFD_NONBLOCK | SFD_CLOEXEC);
    if (m_fd < 0 || ::sigprocmask(SIG_BLOCK, &watched, nullptr) != 0)
        return false;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read);
    connect(m_notifier, &QSocketNotifier::activated, this, &InterruptWatcher::readSignal);
    return true;
}

void InterruptWatcher::readSignal()
{
    signalfd_siginfo info;
    bool any = false;
    while (::read(m_fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        any = true;
    if (any)
        emit interrupted();
}
