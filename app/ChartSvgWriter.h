#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

/// Saves a chart page's plot as an SVG drawing for reports and papers: the traces are drawn
/// again as vectors with Qt Charts, on the axes the page shows (same ranges, titles, linear or
/// logarithmic scale, time of day), cut to the plot frame, under a legend of the traces.
/// Stateless; QML reaches it as the singleton "ChartSvgWriter".
class ChartSvgWriter : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    /// Writes the drawing to `fileName` in one piece (an existing file stays whole on failure).
    /// `chart` holds "series" (the page's QXYSeries or QAreaSeries with every point), "drawn"
    /// (the series the page draws for each, whose look is copied; hidden ones are left out),
    /// "xTitle", "yTitle", "xMin", "xMax", "yMin", "yMax" (on a time axis ms since the epoch or
    /// date-times), "logX", "logY", "timeAxis" (x in ms since the epoch), optionally
    /// "xInterval", "yInterval", "xLabelFormat" and "yLabelFormat" (the linear axes' tick spacing
    /// and printf label format) and "timeTicks" (the labelled times, ms), "width" and "height"
    /// (pixels). Empty on success, else the text to show.
    Q_INVOKABLE QString write(const QString &fileName, const QVariantMap &chart) const;

    /// The SVG document of `chart`, as write() saves it.
    static QByteArray render(const QVariantMap &chart);
};
