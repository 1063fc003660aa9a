#pragma once

#include <QByteArray>
#include <QObject>

class QQuickItem;
class QSocketNotifier;

/// Test aid for driving the program on a real display: with "VT4_SCREEN_PROBE" set, it reads
/// questions from standard input and answers on standard output, one line each, so that a test
/// can find what to click and read what a label shows.
///
///     find SELECTOR      SELECTOR is an objectName, or "text=" followed by a control's text
///     -> probe SELECTOR x y width height enabled|disabled TEXT
///     -> probe SELECTOR none
///
/// Only items the user can see count: the item and its window are visible, and its rectangle
/// (global screen coordinates) overlaps the window. TEXT is the item's "text" (or an editable
/// box's "editText") property, with line breaks written as "\n".
class ScreenProbe : public QObject
{
    Q_OBJECT
public:
    /// Does nothing unless the environment asks for the probe.
    static void installFromEnvironment(QObject *parent);

    /// The answer to one question line (without its line end).
    static QByteArray answer(const QByteArray &question);

private:
    explicit ScreenProbe(QObject *parent);
    void readQuestions();

    QSocketNotifier *m_notifier;
    QByteArray m_pending; ///< bytes of a question line not yet complete
};
