#pragma once

#include <QString>

/// The secret a script must send with every request, and the file that hands it over: a fresh
/// random token on each start, written with the port to a JSON file in the user's configuration
/// folder that only the user may read (0600). The file goes when the object goes.
class AutomationTokenFile
{
public:
    static constexpr int TokenBytes = 32; ///< 256 random bits, written as 64 hex digits
    static constexpr const char *FileName = "automation.json";

    /// Makes a new token; nothing is written yet.
    AutomationTokenFile();
    ~AutomationTokenFile();
    AutomationTokenFile(const AutomationTokenFile &) = delete;
    AutomationTokenFile &operator=(const AutomationTokenFile &) = delete;

    QString token() const { return m_token; }
    /// Replaces any earlier file in `folder` with this token and `port`; an error text, or
    /// empty on success.
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
