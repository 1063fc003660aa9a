#include "ProgramOnDisplay.h"

#include <QFileInfo>
#include <QTest>

namespace {
constexpr int StartMs = 20000;
constexpr int AnswerMs = 5000;
constexpr int AskAgainMs = 200;
constexpr int SettleProbeMs = 250; ///< a control that keeps its place this long has finished moving
const QByteArray AnswerPrefix = QByteArrayLiteral("probe ");
} // namespace

ProgramOnDisplay::ProgramOnDisplay(XvfbDisplay &display) : m_display(display)
{
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] { collectOutput(); });
    QObject::connect(&m_process, &QProcess::readyReadStandardError,
                     [this] { m_output += m_process.readAllStandardError(); });
}

ProgramOnDisplay::~ProgramOnDisplay()
{
    XvfbDisplay::stop(m_process);
}

bool ProgramOnDisplay::start(quint16 cratePort, const QProcessEnvironment &extra)
{
    QProcessEnvironment environment = m_display.environment();
    environment.insert(extra);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_settings.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("VT4_CRATE_PORT"), QString::number(cratePort));
    environment.insert(QStringLiteral("VT4_SCREEN_PROBE"), QStringLiteral("1"));
    environment.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("*.debug=false"));
    m_process.setProcessEnvironment(environment);
    m_process.start(m_program, {});
    return m_settings.isValid() && m_process.waitForStarted(StartMs);
}

void ProgramOnDisplay::collectOutput()
{
    m_pending += m_process.readAllStandardOutput();
    int end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QByteArray line = m_pending.left(end + 1);
        m_pending.remove(0, end + 1);
        if (line.startsWith(AnswerPrefix))
            m_answers << line.trimmed();
        else
            m_output += line;
    }
}

ProgramOnDisplay::Item ProgramOnDisplay::find(const QString &selector)
{
    Item item;
    m_answers.clear();
    m_process.write("find " + selector.toUtf8() + '\n');
    if (!QTest::qWaitFor([&] { return !m_answers.isEmpty(); }, AnswerMs))
        return item;
    // probe SELECTOR x y w h enabled|disabled TEXT; the selector may hold blanks.
    const QByteArray rest = m_answers.takeFirst().mid(AnswerPrefix.size() + selector.toUtf8().size() + 1);
    const QList<QByteArray> fields = rest.split(' ');
    if (fields.size() < 5 || fields.at(0) == "none")
        return item;
    item.found = true;
    item.rect = QRect(fields.at(0).toInt(), fields.at(1).toInt(), fields.at(2).toInt(), fields.at(3).toInt());
    item.enabled = fields.at(4) == "enabled";
    const int textStart = fields.at(0).size() + fields.at(1).size() + fields.at(2).size() +
                          fields.at(3).size() + fields.at(4).size() + 5;
    item.text = QString::fromUtf8(rest.mid(textStart));
    return item;
}

ProgramOnDisplay::Item ProgramOnDisplay::waitFor(const QString &selector, int timeoutMs,
                                                 const std::function<bool(const Item &)> &accept)
{
    Item item;
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        item = find(selector);
        if (item.found && (!accept || accept(item)))
            return item;
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return Item{};
        QTest::qWait(AskAgainMs);
    }
}

bool ProgramOnDisplay::click(const QString &selector, int timeoutMs)
{
    const Item item = waitFor(selector, timeoutMs);
    return item.found && m_display.click(item.center());
}

ProgramOnDisplay::Item ProgramOnDisplay::waitSettled(const QString &selector, int timeoutMs)
{
    Item last;
    const bool still = QTest::qWaitFor(
        [&] {
            const Item item = find(selector);
            const bool same = item.found && item.enabled && item.rect == last.rect;
            last = item;
            QTest::qWait(SettleProbeMs);
            return same;
        },
        timeoutMs);
    return still ? last : Item{};
}

bool ProgramOnDisplay::clickSettled(const QString &selector, int timeoutMs)
{
    const Item item = waitSettled(selector, timeoutMs);
    return item.found && m_display.click(item.center());
}

bool ProgramOnDisplay::retype(const QString &selector, const QString &text, int timeoutMs)
{
    const Item box = waitFor(selector, timeoutMs);
    return box.found && m_display.click(box.center()) && m_display.keys({QStringLiteral("ctrl+a")}) &&
           m_display.type(text) && m_display.keys({QStringLiteral("Return")});
}

bool ProgramOnDisplay::saveFromChart(const QString &entry, const QString &path, int timeoutMs)
{
    if (!click(QStringLiteral("saveButton")) || !click(QStringLiteral("text=") + entry) ||
        !retype(QStringLiteral("fileNameTextField"), path, timeoutMs))
        return false;
    // One Return in the name field saves; the dialog has to be gone before the next one opens,
    // or the next name is typed into the closing dialog's field.
    return QTest::qWaitFor([&] { return QFileInfo::exists(path); }, timeoutMs) &&
           QTest::qWaitFor([&] { return !find(QStringLiteral("fileNameTextField")).found; }, timeoutMs);
}

bool ProgramOnDisplay::quit(int timeoutMs)
{
    for (const XvfbDisplay::Window &window : m_display.visibleWindows(pid()))
        m_display.closeWindow(window.id);
    if (!m_process.waitForFinished(timeoutMs))
        return false;
    return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}
