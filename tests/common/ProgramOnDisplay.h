#pragma once

#include "XvfbDisplay.h"

#include <QProcess>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

/// The real program on an XvfbDisplay, with its screen probe switched on: a test asks where a
/// visible control is and what a label shows, then clicks there through the display. Settings
/// go to a folder of its own; the program is stopped when the object goes.
class ProgramOnDisplay
{
public:
    /// What the program answered about one visible item.
    struct Item
    {
        bool found = false;
        QRect rect; ///< on the screen, pixels
        bool enabled = false;
        QString text; ///< its "text" property, line breaks as "\n"
        QPoint center() const { return rect.center(); }
    };

    explicit ProgramOnDisplay(XvfbDisplay &display);
    ~ProgramOnDisplay();
    ProgramOnDisplay(const ProgramOnDisplay &) = delete;
    ProgramOnDisplay &operator=(const ProgramOnDisplay &) = delete;

    /// Runs the program file at `path` instead of the one built here (a copy in another folder).
    void setProgram(const QString &path) { m_program = path; }
    /// Starts the program, which connects on its own to 127.0.0.1 on `cratePort`; `extra` adds
    /// to its environment.
    bool start(quint16 cratePort, const QProcessEnvironment &extra = {});
    qint64 pid() const { return m_process.processId(); }
    QProcess &process() { return m_process; }
    /// Everything the program printed outside the probe's answers.
    QString output() const { return QString::fromUtf8(m_output); }

    /// The first visible item with that objectName, or "text=..." for a control's text.
    Item find(const QString &selector);
    /// Asks again until the item is visible and `accept` (may be empty) takes it, at most `timeoutMs`.
    Item waitFor(const QString &selector, int timeoutMs,
                 const std::function<bool(const Item &)> &accept = {});
    /// Clicks the middle of a visible item; false when it is not shown.
    bool click(const QString &selector, int timeoutMs = 5000);
    /// The item once it is enabled and stands still: pop-ups scale in when they open, and a
    /// click computed from a rectangle taken mid-animation can miss a small button.
    Item waitSettled(const QString &selector, int timeoutMs = 10000);
    /// Clicks the middle of the item once it has settled.
    bool clickSettled(const QString &selector, int timeoutMs = 10000);

    /// Types `text` into the visible box `selector` in place of what it holds, and presses Return.
    bool retype(const QString &selector, const QString &text, int timeoutMs = 10000);
    /// Saves through the chart's "Save" menu entry `entry`, typing the absolute `path` into the
    /// file dialog; true once the file exists.
    bool saveFromChart(const QString &entry, const QString &path, int timeoutMs = 10000);

    /// Closes every window of the program as a user does and waits for a clean exit.
    bool quit(int timeoutMs = 20000);

private:
    void collectOutput();

    XvfbDisplay &m_display;
    QTemporaryDir m_settings;
    QString m_program = QStringLiteral(VT_PROGRAM_PATH);
    QProcess m_process;
    QByteArray m_output;
    QByteArray m_pending;
    QList<QByteArray> m_answers;
};
