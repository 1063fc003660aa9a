#pragma once

#include <QObject>
#include <QString>

class QQmlApplicationEngine;
class QQuickWindow;
class WorkerAsync;

/// Demo and test aid: with "VT4_SCREENSHOT" set to a PNG path, saves a picture of the main window
/// a moment after the crate is connected ("VT4_SCREENSHOT_DELAY_MS", default 3000) and quits.
class ScreenshotOnConnect : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultDelayMs = 3000;
    static constexpr int SettleMs = 200; ///< a grab right after a change can show the previous frame

    /// Does nothing unless the environment asks for a screenshot.
    static void installFromEnvironment(QQmlApplicationEngine *engine, WorkerAsync *facade);

private:
    ScreenshotOnConnect(QQmlApplicationEngine *engine, const QString &path, int delayMs);
    void takeAfterDelay();
    void take();
    QQuickWindow *mainWindow() const;

    QQmlApplicationEngine *m_engine;
    QString m_path;
    int m_delayMs;
};
