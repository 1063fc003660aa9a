#include "TraceHeader.h"
#include "DataProviderItem.h"

#include <QRegularExpression>

namespace {
constexpr int Decimals = 6;

QByteArray commentLine(const QString &text)
{
    return "# " + text.toUtf8() + "\r\n";
}

QString number(double value)
{
    return QString::number(value, 'f', Decimals);
}

QString isoTime(const QDateTime &when)
{
    return when.toUTC().toString(Qt::ISODateWithMs);
}
} // namespace

int TraceHeader::addressOfSeries(const QString &name)
{
    static const QRegularExpression trailingNumber(QStringLiteral("(\\d+)\\s*$"));
    const QRegularExpressionMatch match = trailingNumber.match(name.section(QLatin1Char('_'), 0, 0));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

TraceHeader TraceHeader::forSeries(const QStringList &names, const QList<DataProviderItem> &modulesAtStart)
{
    TraceHeader header;
    for (const QString &name : names) {
        Channel channel;
        channel.name = name;
        const int address = addressOfSeries(name);
        for (const DataProviderItem &module : modulesAtStart) {
            if (address < 0 || module.byName(QStringLiteral("address")).toInt() != address)
                continue;
            channel.known = true;
            channel.biasA = module.byName(QStringLiteral("current")).toDouble();
            channel.triggerV = module.byName(QStringLiteral("cmp_ref_level")).toDouble();
            channel.timeConstantS = module.byName(QStringLiteral("time_const")).toDouble();
        }
        header.channels << channel;
    }
    return header;
}

QByteArray TraceHeader::text() const
{
    QByteArray lines = commentLine(program);
    const QString x = timeAxis ? QString::fromLatin1(EpochMillisecondsTitle) : xTitle;
    lines += commentLine(QStringLiteral("x: ") + x);
    lines += commentLine(QStringLiteral("y: ") + yTitle);
    return lines + runText();
}

QByteArray TraceHeader::runText() const
{
    QByteArray lines = commentLine(QStringLiteral("start: ") + isoTime(start));
    for (const Channel &channel : channels) {
        if (!channel.known) {
            lines += commentLine(channel.name + QStringLiteral(": settings unknown"));
            continue;
        }
        lines += commentLine(QStringLiteral("%1: bias %2 \u03BCA, trigger %3 mV, time constant %4 s")
                                 .arg(channel.name, number(channel.biasA * 1e6),
                                      number(channel.triggerV * 1e3), number(channel.timeConstantS)));
    }
    return lines;
}

QByteArray TraceHeader::changeText(const QDateTime &when, const QString &setting, const QString &value)
{
    return commentLine(QStringLiteral("%1: %2 %3").arg(isoTime(when), setting, value));
}
