#pragma once

#include <QString>
#include <QStringList>

class SimulatedCrate;

/// The crate's own line commands ("SYST:..."): module list queries and edits, resets,
/// power-off, lock and firmware update. Returns the reply line without its "\r\n".
class TextCommandHandler
{
public:
    /// `legacy`: an older crate without the JSON module list. A command that starts with one of
    /// `failingPrefixes` answers "ERROR" and is not carried out.
    TextCommandHandler(SimulatedCrate &crate, bool legacy, const QStringList &failingPrefixes);

    QString reply(const QString &line);

private:
    QString execute(const QString &command);
    static bool parseAddress(const QString &text, int *address);

    SimulatedCrate &m_crate;
    bool m_legacy;
    QStringList m_failingPrefixes;
};
