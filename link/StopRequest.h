#pragma once

#include <QThread>

/// Whether the calling thread has been asked to stop. Every blocking wait on the worker thread
/// (module answers, text queries, connects, settle delays) gives up as soon as it is, so that
/// quitting never waits for a silent crate.
class StopRequest
{
public:
    static bool isPending() { return QThread::currentThread()->isInterruptionRequested(); }
};
