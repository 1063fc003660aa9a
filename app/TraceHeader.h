#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class DataProviderItem;

/// The comment lines ("# ...", each ended by "\r\n") that make an export or a trace log
/// self-describing: program and version, what the x and y values are, the start of the run and
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

    /// What a time chart's x values are; the chart shows them as "hh:mm:ss".
    static constexpr const char *EpochMillisecondsTitle = "time, milliseconds since 1970-01-01 00:00:00 UTC";

    QString program;
    QDateTime start;
    QString xTitle;
    QString yTitle;
    bool timeAxis = false; ///< x holds milliseconds since the epoch, whatever xTitle says
    QList<Channel> channels;

    /// A header for the series `names`, each channel found by the bus address its name ends with
    /// ("SSPD 3" or "SSPD 3_2": module 3) among the modules as they were at `start`.
    static TraceHeader forSeries(const QStringList &names, const QList<DataProviderItem> &modulesAtStart);
    /// The bus address in a series name, -1 when it has none.
    static int addressOfSeries(const QString &name);
    /// The whole header: program, axes, then runText().
    QByteArray text() const;
    /// The start of the run and the channels' settings: what a log that goes on over several
    /// runs notes again when a run starts.
    QByteArray runText() const;
    /// One line noting that `setting` changed to `value` at `when`.
    static QByteArray changeText(const QDateTime &when, const QString &setting, const QString &value);
};
