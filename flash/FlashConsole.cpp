#include "FlashConsole.h"

#include <cstdio>
#include <unistd.h>

namespace {
constexpr int BarWidth = 40; ///< characters
}

FlashConsole::FlashConsole(QObject *parent) : QObject(parent), m_interactive(::isatty(STDOUT_FILENO) == 1) {}

void FlashConsole::info(const QString &text)
{
    endProgressLine();
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

void FlashConsole::error(const QString &text)
{
    // The bootloader announces some errors with an empty line first; it carries nothing.
    if (text.isEmpty())
        return;
    endProgressLine();
    std::fprintf(stderr, "vantrel-flash: %s\n", qPrintable(text));
    std::fflush(stderr);
}

void FlashConsole::progress(int percent)
{
    const int filled = percent * BarWidth / 100;
    const QString bar =
        QStringLiteral("[%1%2] %3%")
            .arg(QString(filled, QLatin1Char('#')), QString(BarWidth - filled, QLatin1Char('.')))
            .arg(percent, 3);
    if (m_interactive) {
        std::printf("\r%s", qPrintable(bar));
        m_barOpen = true;
    } else {
        std::printf("%s\n", qPrintable(bar));
    }
    std::fflush(stdout);
}

void FlashConsole::endProgressLine()
{
    if (!m_barOpen)
        return;
    std::printf("\n");
    m_barOpen = false;
}
