#pragma once

#include <QObject>

class QDateTime;

/// The visible range of a chart. On time axes `left` and `right` are ms since the epoch.
/// The initial range, 1e-9 to 100 on both axes, suits a logarithmic axis too.
class MyChartRect : public QObject
{
    Q_OBJECT
    Q_PROPERTY(double top READ top WRITE setTop NOTIFY topChanged)
    Q_PROPERTY(double bottom READ bottom WRITE setBottom NOTIFY bottomChanged)
    Q_PROPERTY(double left READ left WRITE setLeft NOTIFY leftChanged)
    Q_PROPERTY(double right READ right WRITE setRight NOTIFY rightChanged)
public:
    explicit MyChartRect(QObject *parent = nullptr);

    double top() const { return m_top; }
    double bottom() const { return m_bottom; }
    double left() const { return m_left; }
    double right() const { return m_right; }

    /// Copies the four limits of `other` without notifying.
    void assign(const MyChartRect &other);

public slots:
    // Each setter notifies only on a change beyond one part in 10^12, and ignores values that
    // are not finite.
    void setTop(double top);
    void setBottom(double bottom);
    void setLeft(double left);
    void setRight(double right);
    /// Stores the time as ms since the epoch; an invalid time is ignored.
    void setLeft(const QDateTime &left);
    void setRight(const QDateTime &right);

signals:
    void topChanged();
    void bottomChanged();
    void leftChanged();
    void rightChanged();

private:
    double m_top = 100.0;
    double m_bottom = 1e-9;
    double m_left = 1e-9;
    double m_right = 100.0;
};
