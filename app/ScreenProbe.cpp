#include "ScreenProbe.h"

#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

namespace {
constexpr int ReadChunkBytes = 4096;
const QByteArray FindCommand = QByteArrayLiteral("find ");
const QByteArray TextSelector = QByteArrayLiteral("text=");

/// What the item shows as its text: a label's or button's text, an editable box's entry, a
/// choice box's choice.
QString shownText(const QQuickItem *item)
{
    for (const char *name : {"text", "editText", "displayText"}) {
        const QString text = item->property(name).toString();
        if (!text.isEmpty())
            return text;
    }
    return {};
}

bool matches(const QQuickItem *item, const QString &selector)
{
    if (selector.startsWith(QLatin1String(TextSelector)))
        return shownText(item) == selector.mid(TextSelector.size());
    return item->objectName() == selector;
}

/// First visible item under `item` (itself included) that matches, depth first.
QQuickItem *findVisible(QQuickItem *item, const QString &selector)
{
    if (!item->isVisible() || item->opacity() <= 0.0)
        return nullptr;
    if (matches(item, selector))
        return item;
    const auto children = item->childItems();
    for (QQuickItem *child : children) {
        if (QQuickItem *found = findVisible(child, selector))
            return found;
    }
    return nullptr;
}

QByteArray describe(const QByteArray &selector, QQuickItem *item)
{
    const QPointF topLeft = item->mapToGlobal(QPointF(0, 0));
    QString text = shownText(item);
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return QByteArrayLiteral("probe ") + selector + ' ' + QByteArray::number(qRound(topLeft.x())) + ' ' +
           QByteArray::number(qRound(topLeft.y())) + ' ' + QByteArray::number(qRound(item->width())) + ' ' +
           QByteArray::number(qRound(item->height())) + ' ' +
           (item->isEnabled() ? QByteArrayLiteral("enabled") : QByteArrayLiteral("disabled")) + ' ' +
           text.toUtf8();
}
} // namespace

ScreenProbe::ScreenProbe(QObject *parent)
    : QObject(parent), m_notifier(new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this))
{
    connect(m_notifier, &QSocketNotifier::activated, this, &ScreenProbe::readQuestions);
}

void ScreenProbe::installFromEnvironment(QObject *parent)
{
    if (qEnvironmentVariableIsSet("VT4_SCREEN_PROBE"))
        new ScreenProbe(parent);
}

QByteArray ScreenProbe::answer(const QByteArray &question)
{
    if (!question.startsWith(FindCommand))
        return QByteArrayLiteral("probe error ") + question;
    const QByteArray selector = question.mid(FindCommand.size()).trimmed();
    const QString selectorText = QString::fromUtf8(selector);
    const auto windows = QGuiApplication::topLevelWindows();
    for (QWindow *window : windows) {
        auto *quickWindow = qobject_cast<QQuickWindow *>(window);
        if (!quickWindow || !quickWindow->isVisible())
            continue;
        QQuickItem *item = findVisible(quickWindow->contentItem(), selectorText);
        if (!item)
            continue;
        const QRectF onScreen(item->mapToGlobal(QPointF(0, 0)), item->size());
        if (onScreen.intersects(QRectF(quickWindow->geometry())))
            return describe(selector, item);
    }
    return QByteArrayLiteral("probe ") + selector + QByteArrayLiteral(" none");
}

void ScreenProbe::readQuestions()
{
    char chunk[ReadChunkBytes];
    const ssize_t count = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (count <= 0) {
        // The asking side has gone: stop listening instead of waking on end of file forever.
        m_notifier->setEnabled(false);
        return;
    }
    m_pending.append(chunk, static_cast<int>(count));
    int end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QByteArray line = m_pending.left(end).trimmed();
        m_pending.remove(0, end + 1);
        if (line.isEmpty())
            continue;
        const QByteArray reply = answer(line) + '\n';
        std::fwrite(reply.constData(), 1, static_cast<size_t>(reply.size()), stdout);
        std::fflush(stdout);
    }
}
