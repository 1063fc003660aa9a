#include "ScreenshotOnConnect.h"
#include "AppLogging.h"
#include "WorkerAsync.h"

#include <QCoreApplication>
#include <QImage>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTimer>

namespace {
/// The root object holds the main window under this property.
const char *const MainWindowProperty = "mainWindow";
} // namespace

ScreenshotOnConnect::ScreenshotOnConnect(QQmlApplicationEngine *engine, const QString &path, int delayMs)
    : QObject(engine), m_engine(engine), m_path(path), m_delayMs(delayMs)
{
}

void ScreenshotOnConnect::installFromEnvironment(QQmlApplicationEngine *engine, WorkerAsync *facade)
{
    const QString path = qEnvironmentVariable("VT4_SCREENSHOT");
    if (path.isEmpty())
        return;
    bool ok = false;
    int delayMs = qEnvironmentVariableIntValue("VT4_SCREENSHOT_DELAY_MS", &ok);
    if (!ok || delayMs < 0)
        delayMs = DefaultDelayMs;
    auto *taker = new ScreenshotOnConnect(engine, path, delayMs);
    connect(facade, &WorkerAsync::connected, taker, &ScreenshotOnConnect::takeAfterDelay,
            Qt::SingleShotConnection);
}

void ScreenshotOnConnect::takeAfterDelay()
{
    QTimer::singleShot(m_delayMs + SettleMs, this, &ScreenshotOnConnect::take);
}

QQuickWindow *ScreenshotOnConnect::mainWindow() const
{
    const auto roots = m_engine->rootObjects();
    for (QObject *root : roots) {
        if (auto *window =
                qobject_cast<QQuickWindow *>(root->property(MainWindowProperty).value<QObject *>()))
            return window;
    }
    return nullptr;
}

void ScreenshotOnConnect::take()
{
    QQuickWindow *window = mainWindow();
    int exitCode = 1;
    if (window && window->grabWindow().save(m_path)) {
        qCInfo(lcFacade) << "screenshot saved to" << m_path;
        exitCode = 0;
    } else {
        qCWarning(lcFacade) << "screenshot could not be saved to" << m_path;
    }
    QCoreApplication::exit(exitCode);
}
