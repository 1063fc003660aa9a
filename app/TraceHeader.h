#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class DataProviderItem;

/// The comment lines ("# ...", each ended by "\r\n") that make an export or a trace log
/// self-describing: program and version, start of the run, axis titles with their units, and
/// the settings each channel had when the run started.
class TraceHeader
{
public:
    struct Channel
    {
        QString name;
        bool known = false;       ///< the module was in the list when the run started
        double biasA = 0;         ///< bias current, amperes
        double triggerV = 0;      ///< comparator trigger level, volts
        double timeConstantS = 0; ///< counting time constant, seconds
    };

    QString program;
    QDateTime start;
    QString xTitle;
    QString yTitle;
    QList<Channel> channels;

    /// A header for the series `names`, each channel found by the bus address its name ends with
    /// ("SSPD 3" or "SSPD 3_2": module 3) among the modules as they were at `start`.
    static TraceHeader forSeries(const QStringList &names, const QList<DataProviderItem> &modulesAtStart);
    /// The bus address in a series name, -1 when it has none.
    static int addressOfSeries(const QString &name);
    QByteArray text() const;
};
