#include "CountingWindow.h"

#include <QObject>
#include <QVariant>
#include <chrono>

namespace {
constexpr const char *RestartedAtProperty = "vtCountingWindowRestartedAtMs"; ///< steady clock, ms
constexpr const char *LengthProperty = "vtCountingWindowLengthMs";
constexpr double MsPerSecond = 1000.0;
} // namespace

qint64 CountingWindow::steadyNowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void CountingWindow::restart(QObject *driver, double timeConstS)
{
    driver->setProperty(RestartedAtProperty, steadyNowMs());
    driver->setProperty(LengthProperty, qint64(timeConstS * MsPerSecond));
}

bool CountingWindow::isComplete(const QObject *driver)
{
    const QVariant restartedAt = driver->property(RestartedAtProperty);
    if (!restartedAt.isValid())
        return true;
    return steadyNowMs() - restartedAt.toLongLong() >= driver->property(LengthProperty).toLongLong();
}
