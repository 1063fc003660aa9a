#pragma once

#include "MyChartRect.h"
#include "ParameterItem.h"
#include "WorkerTypes.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QtCharts/QAbstractSeries>

class DriverDataModel;

/// User-interface state the measurement modes read and write: chart options, the series of the
/// current screen, the range the chart axes follow, the active channel and the sweep parameter
/// panel. Lives on the GUI thread; nothing of it is saved between runs.
class Settings : public QObject
{
    Q_OBJECT
    Q_PROPERTY(double timeConstant READ timeConstant WRITE setTimeConstant NOTIFY timeConstantChanged)
    Q_PROPERTY(WorkerTypes::CpsVsTimeMode mode READ mode WRITE setMode NOTIFY modeChanged)
    Q_PROPERTY(bool autoscale READ autoscale WRITE setAutoscale NOTIFY autoscaleChanged)
    Q_PROPERTY(bool logY READ logY WRITE setLogY NOTIFY logYChanged)
    Q_PROPERTY(double timeWindowSize READ timeWindowSize WRITE setTimeWindowSize NOTIFY timeWindowSizeChanged)
    Q_PROPERTY(QList<QAbstractSeries *> series READ series WRITE setSeries NOTIFY seriesChanged)
    Q_PROPERTY(MyChartRect *chartRect READ chartRect WRITE setChartRect NOTIFY chartRectChanged)
    Q_PROPERTY(int activeChannel READ activeChannel WRITE setActiveChannel NOTIFY activeChannelChanged)
    Q_PROPERTY(DriverDataModel *SweepParameterModel READ SweepParameterModel CONSTANT)
public:
    explicit Settings(QObject *parent = nullptr);

    /// Poll period of the time-based modes, s.
    double timeConstant() const { return m_timeConstant; }
    WorkerTypes::CpsVsTimeMode mode() const { return m_mode; }
    bool autoscale() const { return m_autoscale; }
    /// The current chart's vertical axis is logarithmic: range fits leave out the points it
    /// cannot show (zero counts, drawn at the count-rate floor, and anything not positive).
    bool logY() const { return m_logY; }
    /// Width of the windowed time axis, s.
    double timeWindowSize() const { return m_timeWindowSize; }
    /// The series of the current screen still alive, in display order. QML sets the whole list
    /// at once (`series = [...]`); a push() on the property would change only a copy.
    QList<QAbstractSeries *> series() const;
    MyChartRect *chartRect() const { return m_chartRect; }
    /// Bus address of the channel the single-channel, sweep and histogram screens work on.
    int activeChannel() const { return m_activeChannel; }
    DriverDataModel *SweepParameterModel() const { return m_sweepParameterModel; }

public slots:
    // The doubles notify only on a change beyond one part in 10^12, the others on any change.
    void setTimeConstant(double seconds);
    void setMode(WorkerTypes::CpsVsTimeMode mode);
    void setAutoscale(bool autoscale);
    void setLogY(bool logY);
    void setTimeWindowSize(double seconds);
    /// Notifies unless the list holds the same series in the same order.
    void setSeries(const QList<QAbstractSeries *> &series);
    /// The range stays owned by the caller; a null range is ignored.
    void setChartRect(MyChartRect *rect);
    /// Always notifies and selects the module's parameter panel, even for the same address,
    /// so a screen can refresh the panel by choosing its channel again.
    void setActiveChannel(int address);
    /// Shows the current mode's sweep parameters; the list stays owned by the caller.
    void initializeSweepParameterModel(QList<ParameterItem> *parameters);

signals:
    void timeConstantChanged();
    void modeChanged();
    void autoscaleChanged();
    void logYChanged();
    void timeWindowSizeChanged();
    void seriesChanged();
    void chartRectChanged();
    void activeChannelChanged();

private:
    double m_timeConstant = 1.0;
    WorkerTypes::CpsVsTimeMode m_mode = WorkerTypes::CpsVsTimeWindowed;
    bool m_autoscale = true;
    bool m_logY = false;
    double m_timeWindowSize = 30;
    QList<QPointer<QAbstractSeries>> m_series; ///< owned by the screens, which may delete them
    QPointer<MyChartRect> m_chartRect;         ///< owned by the facade or by this object
    int m_activeChannel = 0;
    DriverDataModel *m_sweepParameterModel; ///< child
};
