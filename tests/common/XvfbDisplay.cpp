#include "XvfbDisplay.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

namespace {
constexpr int ServerStartMs = 30000;   ///< Xvfb prints its display number once it accepts clients
constexpr int WindowManagerMs = 30000; ///< openbox announces itself on the root window
constexpr int ClientRunMs = 15000;     ///< one xdotool, xprop or import call
constexpr int StopMs = 5000;
constexpr int StartAttempts = 3;
const QStringList Tools = {"Xvfb", "openbox", "xdotool", "xprop", "wmctrl", "import"};
} // namespace

XvfbDisplay::XvfbDisplay(const QString &artefactFolder, WindowManager manager, const QSize &size)
    : m_artefacts(artefactFolder), m_manager(manager), m_size(size)
{
}

XvfbDisplay::~XvfbDisplay()
{
    stop(m_windowManager);
    stop(m_server);
}

QString XvfbDisplay::missingTools()
{
    QStringList missing;
    for (const QString &tool : Tools) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            missing << tool;
    }
    return missing.join(QLatin1String(", "));
}

bool XvfbDisplay::start()
{
    // Now and then a window manager started right after the server announced its number cannot
    // open the display (servers of other tests come and go on the same machine): start again.
    for (int attempt = 1; attempt < StartAttempts; ++attempt) {
        if (startOnce())
            return true;
        stop(m_windowManager);
        stop(m_server);
    }
    return startOnce();
}

bool XvfbDisplay::startOnce()
{
    if (!m_artefacts.mkpath(QStringLiteral("."))) {
        m_error = QStringLiteral("cannot create %1").arg(m_artefacts.path());
        return false;
    }
    // -displayfd 1: the server picks a free display and writes its number to our pipe.
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(m_size.width()).arg(m_size.height()),
                    QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    QByteArray number;
    const bool announced = QTest::qWaitFor(
        [&] {
            number += m_server.readAllStandardOutput();
            return number.contains('\n') || m_server.state() == QProcess::NotRunning;
        },
        ServerStartMs);
    if (!announced || !number.contains('\n')) {
        m_error =
            QStringLiteral("Xvfb did not start: ") + QString::fromLocal8Bit(m_server.readAllStandardError());
        return false;
    }
    m_name = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    if (m_manager == WithoutWindowManager)
        return true;

    m_windowManager.setProcessEnvironment(environment());
    m_windowManager.setProcessChannelMode(QProcess::MergedChannels);
    m_windowManager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    const bool managed = QTest::qWaitFor(
        [&] {
            return m_windowManager.state() == QProcess::NotRunning ||
                   run(QStringLiteral("xprop"),
                       {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                       .contains("window id");
        },
        WindowManagerMs);
    if (!managed || m_windowManager.state() == QProcess::NotRunning) {
        m_error = QStringLiteral("openbox did not start on %1: %2")
                      .arg(m_name, QString::fromLocal8Bit(m_windowManager.readAll()));
        return false;
    }
    return true;
}

QProcessEnvironment XvfbDisplay::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_name);
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("XAUTHORITY"));
    return environment;
}

QByteArray XvfbDisplay::run(const QString &program, const QStringList &arguments) const
{
    QProcess client;
    client.setProcessEnvironment(environment());
    client.start(program, arguments);
    if (!client.waitForFinished(ClientRunMs) || client.exitStatus() != QProcess::NormalExit ||
        client.exitCode() != 0)
        return {};
    QByteArray output = client.readAllStandardOutput();
    return output.isNull() ? QByteArray("") : output;
}

QList<XvfbDisplay::Window> XvfbDisplay::visibleWindows(qint64 pid) const
{
    QList<Window> windows;
    const QByteArray ids = run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--all"),
                                                           QStringLiteral("--onlyvisible"),
                                                           QStringLiteral("--pid"), QString::number(pid)});
    static const QRegularExpression position(QStringLiteral("Position: (-?\\d+),(-?\\d+)"));
    static const QRegularExpression extent(QStringLiteral("Geometry: (\\d+)x(\\d+)"));
    for (const QByteArray &id : ids.split('\n')) {
        if (id.trimmed().isEmpty())
            continue;
        Window window;
        window.id = QString::fromLatin1(id.trimmed());
        const QString geometry = QString::fromUtf8(
            run(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), window.id}));
        const auto at = position.match(geometry);
        const auto sized = extent.match(geometry);
        if (at.hasMatch() && sized.hasMatch())
            window.geometry = QRect(at.captured(1).toInt(), at.captured(2).toInt(), sized.captured(1).toInt(),
                                    sized.captured(2).toInt());
        window.name =
            QString::fromUtf8(run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), window.id}))
                .trimmed();
        windows << window;
    }
    return windows;
}

QStringList XvfbDisplay::stackingOrder() const
{
    const QString reply = QString::fromLatin1(
        run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")}));
    QStringList ids;
    static const QRegularExpression hexId(QStringLiteral("0x[0-9a-fA-F]+"));
    for (auto it = hexId.globalMatch(reply); it.hasNext();)
        ids << QString::number(it.next().captured().toULongLong(nullptr, 16));
    return ids;
}

QStringList XvfbDisplay::windowStates(const QString &id) const
{
    const QString reply = QString::fromLatin1(
        run(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_NET_WM_STATE")}));
    static const QRegularExpression atom(QStringLiteral("_NET_WM_STATE_[A-Z_]+"));
    QStringList states;
    for (auto it = atom.globalMatch(reply); it.hasNext();)
        states << it.next().captured();
    return states;
}

bool XvfbDisplay::moveMouse(const QPoint &point) const
{
    return !run(QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y())})
                .isNull();
}

bool XvfbDisplay::click(const QPoint &point) const
{
    return !run(QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y()),
                 QStringLiteral("click"), QStringLiteral("1")})
                .isNull();
}

bool XvfbDisplay::doubleClick(const QPoint &point) const
{
    return !run(QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y()),
                 QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                 QStringLiteral("1")})
                .isNull();
}

bool XvfbDisplay::pressAndHold(const QPoint &point, int holdMs) const
{
    return !run(QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y()),
                 QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("sleep"),
                 QString::number(holdMs / 1000.0), QStringLiteral("mouseup"), QStringLiteral("1")})
                .isNull();
}

bool XvfbDisplay::drag(const QPoint &from, const QPoint &to) const
{
    // Slow enough for a program that hands the drag to the window manager part way.
    constexpr int Steps = 6;
    const QString stepPause = QStringLiteral("0.2");
    const QString endPause = QStringLiteral("1");
    QStringList arguments{QStringLiteral("mousemove"), QString::number(from.x()), QString::number(from.y()),
                          QStringLiteral("mousedown"), QStringLiteral("1")};
    for (int step = 1; step <= Steps; ++step) {
        const QPoint at = from + (to - from) * step / Steps;
        arguments << QStringLiteral("sleep") << stepPause << QStringLiteral("mousemove")
                  << QString::number(at.x()) << QString::number(at.y());
    }
    arguments << QStringLiteral("sleep") << endPause << QStringLiteral("mouseup") << QStringLiteral("1");
    return !run(QStringLiteral("xdotool"), arguments).isNull();
}

bool XvfbDisplay::holdKey(const QString &name, int holdMs) const
{
    return !run(QStringLiteral("xdotool"), {QStringLiteral("keydown"), name, QStringLiteral("sleep"),
                                            QString::number(holdMs / 1000.0), QStringLiteral("keyup"), name})
                .isNull();
}

bool XvfbDisplay::type(const QString &text) const
{
    return !run(QStringLiteral("xdotool"),
                {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text})
                .isNull();
}

bool XvfbDisplay::keys(const QStringList &names) const
{
    return !run(QStringLiteral("xdotool"),
                QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60")} + names)
                .isNull();
}

bool XvfbDisplay::closeWindow(const QString &id) const
{
    return !run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), id}).isNull();
}

bool XvfbDisplay::activateWindow(const QString &id) const
{
    return !run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-a"), id}).isNull();
}

QString XvfbDisplay::screenshot(const QString &name) const
{
    const QString path = m_artefacts.filePath(name + QStringLiteral(".png"));
    if (run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path}).isNull())
        return {};
    qInfo().noquote() << "screenshot" << path;
    return path;
}

void XvfbDisplay::stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(StopMs)) {
        process.kill();
        process.waitForFinished(StopMs);
    }
}
