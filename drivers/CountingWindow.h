#pragma once

#include <QtGlobal>

class QObject;

/// When a detector module's counting window last restarted because its time constant was
/// written, kept on the driver object itself so that every short-lived bridge around the same
/// driver sees it. Counts read before one whole window of the new constant has passed still
/// belong to the window before the change, and dividing them by the new constant (or the new
/// counts by the old one) gives a rate off by the ratio of the two.
class CountingWindow
{
public:
    /// The module on `driver` was just given `timeConstS` (s): its window starts again now.
    static void restart(QObject *driver, double timeConstS);
    /// Whether the counts the module reports now were counted under its present time constant:
    /// true unless a window restarted less than one time constant ago.
    static bool isComplete(const QObject *driver);

private:
    static qint64 steadyNowMs();
};
