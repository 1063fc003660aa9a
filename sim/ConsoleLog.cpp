#include "ConsoleLog.h"

#include <cstdio>

ConsoleLog::ConsoleLog(bool verbose, bool verboseModules)
    : m_verbose(verbose), m_verboseModules(verbose && verboseModules)
{
}

void ConsoleLog::event(const QString &line) const
{
    if (m_verbose)
        print(line);
}

void ConsoleLog::moduleTraffic(const QString &line) const
{
    if (m_verboseModules)
        print(QStringLiteral("module ") + line);
}

void ConsoleLog::print(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}
