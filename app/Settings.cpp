#include "Settings.h"
#include "AppLogging.h"
#include "DataModel.h"
#include "DriverDataModel.h"
#include "FuzzyCompare.h"

Settings::Settings(QObject *parent)
    : QObject(parent), m_chartRect(new MyChartRect(this)), m_sweepParameterModel(new DriverDataModel(this))
{
}

QList<QAbstractSeries *> Settings::series() const
{
    QList<QAbstractSeries *> alive;
    for (const QPointer<QAbstractSeries> &series : m_series) {
        if (series)
            alive.append(series);
    }
    return alive;
}

void Settings::setTimeConstant(double seconds)
{
    if (vtFuzzyEqual(m_timeConstant, seconds))
        return;
    m_timeConstant = seconds;
    emit timeConstantChanged();
}

void Settings::setMode(WorkerTypes::CpsVsTimeMode mode)
{
    if (m_mode == mode)
        return;
    m_mode = mode;
    emit modeChanged();
}

void Settings::setAutoscale(bool autoscale)
{
    if (m_autoscale == autoscale)
        return;
    m_autoscale = autoscale;
    emit autoscaleChanged();
}

void Settings::setLogY(bool logY)
{
    if (m_logY == logY)
        return;
    m_logY = logY;
    emit logYChanged();
}

void Settings::setTimeWindowSize(double seconds)
{
    if (vtFuzzyEqual(m_timeWindowSize, seconds))
        return;
    m_timeWindowSize = seconds;
    emit timeWindowSizeChanged();
}

void Settings::setSeries(const QList<QAbstractSeries *> &series)
{
    // Compared as stored: a held series deleted meanwhile no longer equals the one handed in.
    QList<QPointer<QAbstractSeries>> guarded(series.cbegin(), series.cend());
    if (guarded == m_series)
        return;
    m_series = guarded;
    emit seriesChanged();
}

void Settings::setChartRect(MyChartRect *rect)
{
    if (!rect || rect == m_chartRect)
        return;
    m_chartRect = rect;
    emit chartRectChanged();
}

void Settings::setActiveChannel(int address)
{
    m_activeChannel = address;
    DataModel::instance()->setActiveDriver(address);
    emit activeChannelChanged();
}

void Settings::initializeSweepParameterModel(QList<ParameterItem> *parameters)
{
    qCDebug(lcFacade) << "Sweep parameter update";
    if (parameters)
        m_sweepParameterModel->setItems(parameters);
}
