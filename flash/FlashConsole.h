#pragma once

#include <QObject>
#include <QString>

/// The flashing program's output: the bootloader's information lines on stdout, its errors on
/// stderr, and a progress bar (redrawn in place on a terminal, one line per step otherwise).
class FlashConsole : public QObject
{
    Q_OBJECT
public:
    explicit FlashConsole(QObject *parent = nullptr);

    void info(const QString &text);
    void error(const QString &text);
    void progress(int percent);

private:
    void endProgressLine();

    bool m_interactive;
    bool m_barOpen = false; ///< the cursor stands at the end of a drawn bar
};
