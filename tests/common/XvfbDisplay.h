#pragma once

#include <QDir>
#include <QList>
#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

/// A real X display for tests that judge what a user sees: Xvfb on a free display number
/// (chosen by the server itself through -displayfd) with the openbox window manager. Offers the
/// X server's own answers about mapped windows and their stacking, input through xdotool, and
/// screenshots of the whole display (ImageMagick's `import -window root`) kept in an artefact
/// folder. Everything it started is stopped when the object goes.
class XvfbDisplay
{
public:
    /// One top-level window as the X server reports it.
    struct Window
    {
        QString id;     ///< decimal X window id, as xdotool prints it
        QRect geometry; ///< position and size on the root window, pixels
        QString name;
    };

    enum WindowManager
    {
        WithWindowManager,
        WithoutWindowManager
    };

    explicit XvfbDisplay(const QString &artefactFolder, WindowManager manager = WithWindowManager,
                         const QSize &size = QSize(1280, 800));
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay &) = delete;
    XvfbDisplay &operator=(const XvfbDisplay &) = delete;

    /// Empty when every tool the display needs is installed; else which ones are missing.
    static QString missingTools();

    /// Starts Xvfb (and openbox, unless asked not to) and waits until both run; false with
    /// `error()` set.
    bool start();
    QString error() const { return m_error; }
    /// ":N" once started.
    QString name() const { return m_name; }
    QSize size() const { return m_size; }
    /// The system environment with DISPLAY pointing here (for the programs under test).
    QProcessEnvironment environment() const;

    /// The mapped (viewable) top-level windows of process `pid`.
    QList<Window> visibleWindows(qint64 pid) const;
    /// Client windows from bottom to top, as the window manager stacks them.
    QStringList stackingOrder() const;
    /// The _NET_WM_STATE atoms of a window ("_NET_WM_STATE_MAXIMIZED_VERT", ...).
    QStringList windowStates(const QString &id) const;

    bool moveMouse(const QPoint &point) const;
    bool click(const QPoint &point) const;
    bool doubleClick(const QPoint &point) const;
    /// Presses the left button at `point`, holds it for `holdMs` and lets go.
    bool pressAndHold(const QPoint &point, int holdMs) const;
    /// Presses the left button at `from`, moves to `to` in a few steps and lets go there.
    bool drag(const QPoint &from, const QPoint &to) const;
    /// Holds the key `name` (xdotool's names) down for `holdMs`, with the server's auto-repeat.
    bool holdKey(const QString &name, int holdMs) const;
    /// Types `text` into the window with the keyboard focus.
    bool type(const QString &text) const;
    /// Presses key combinations in xdotool's names ("Return", "ctrl+a", "Escape").
    bool keys(const QStringList &names) const;
    /// Closes a window the way its close button does (WM_DELETE_WINDOW through the window manager).
    bool closeWindow(const QString &id) const;
    /// Brings a window back and in front as a task bar does (_NET_ACTIVE_WINDOW), also from minimised.
    bool activateWindow(const QString &id) const;

    /// Saves a picture of the whole display as `name`.png in the artefact folder; empty on failure.
    QString screenshot(const QString &name) const;

    /// Ends a process started for a test: SIGTERM, then SIGKILL if it does not go.
    static void stop(QProcess &process);

private:
    bool startOnce();
    /// Runs an X client on this display; its standard output, or a null array on failure.
    QByteArray run(const QString &program, const QStringList &arguments) const;

    QDir m_artefacts;
    WindowManager m_manager;
    QSize m_size;
    QString m_name;
    QString m_error;
    QProcess m_server;
    QProcess m_windowManager;
};
