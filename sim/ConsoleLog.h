#pragma once

#include <QString>

/// The simulator's stdout: the event lines that tests and users watch (`listening on`,
/// `connection from`, `command`, `disconnected`, and `module` traffic lines on request).
/// Each line is flushed at once so a reading process sees it without delay.
class ConsoleLog
{
public:
    ConsoleLog(bool verbose, bool verboseModules);

    /// Prints one event line when verbose output is on.
    void event(const QString &line) const;
    /// Prints one `module ...` line when module traffic output is on.
    void moduleTraffic(const QString &line) const;

private:
    static void print(const QString &line);

    bool m_verbose;
    bool m_verboseModules;
};
