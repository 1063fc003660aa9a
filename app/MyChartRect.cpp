#include "MyChartRect.h"
#include "FuzzyCompare.h"

#include <QDateTime>

namespace {
/// Stores `value` and tells whether it really changed. A NaN or infinite limit would make the
/// chart drop its axis range, so it is refused.
bool assignChanged(double &member, double value)
{
    if (!qIsFinite(value) || vtFuzzyEqual(member, value))
        return false;
    member = value;
    return true;
}
} // namespace

MyChartRect::MyChartRect(QObject *parent) : QObject(parent) {}

void MyChartRect::assign(const MyChartRect &other)
{
    m_top = other.m_top;
    m_bottom = other.m_bottom;
    m_left = other.m_left;
    m_right = other.m_right;
}

void MyChartRect::setTop(double top)
{
    if (assignChanged(m_top, top))
        emit topChanged();
}

void MyChartRect::setBottom(double bottom)
{
    if (assignChanged(m_bottom, bottom))
        emit bottomChanged();
}

void MyChartRect::setLeft(double left)
{
    if (assignChanged(m_left, left))
        emit leftChanged();
}

void MyChartRect::setRight(double right)
{
    if (assignChanged(m_right, right))
        emit rightChanged();
}

void MyChartRect::setLeft(const QDateTime &left)
{
    if (left.isValid())
        setLeft(double(left.toMSecsSinceEpoch()));
}

void MyChartRect::setRight(const QDateTime &right)
{
    if (right.isValid())
        setRight(double(right.toMSecsSinceEpoch()));
}
