#pragma once

#include <QString>

/// The secret a script must send with every request, and the file that hands it over: a fresh
/// random token on each start, written with the port and the process id to a JSON file in the
/// user's configuration folder that only the user may read (0600). Each running interface has a
/// file of its own, named after its port, so a second program leaves the first one's alone. The
/// file goes when the object goes.
class AutomationTokenFile
{
public:
    static constexpr int TokenBytes = 32; ///< 256 random bits, written as 64 hex digits

    /// "automation-PORT.json": no two running interfaces can hold one port.
    static QString fileName(quint16 port);

    /// Makes a new token; nothing is written yet.
    AutomationTokenFile();
    ~AutomationTokenFile();
    AutomationTokenFile(const AutomationTokenFile &) = delete;
    AutomationTokenFile &operator=(const AutomationTokenFile &) = delete;

    QString token() const { return m_token; }
    /// Writes this token and `port` to the file of `port` in `folder`, replacing one a run that
    /// ended without removing it left there; an error text, or empty on success.
    QString write(const QString &folder, quint16 port);
    /// Where the file was written, or empty.
    QString path() const { return m_path; }
    /// The user's configuration folder of this program.
    static QString defaultFolder();
    /// True when `candidate` is this token; takes the same time wherever the texts differ.
    bool matches(const QString &candidate) const;

private:
    QString m_token;
    QString m_path;
};
