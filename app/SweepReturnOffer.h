#pragma once

#include <QObject>
#include <QString>

#include <functional>

/// A sweep leaves its channel where the last step put it (an IV curve ends with the detector
/// latched at its highest bias). This keeps the channel's bias and trigger level from before the
/// sweep and, once the sweep has ended, offers to set them again. GUI thread.
class SweepReturnOffer : public QObject
{
    Q_OBJECT
    /// The sweep has ended and the values from before it can be set again.
    Q_PROPERTY(bool offered READ offered NOTIFY changed)
    /// The sweep's mode (WorkerAsync::WorkerMode), so that its own screen shows the offer.
    Q_PROPERTY(int mode READ mode NOTIFY changed)
    Q_PROPERTY(QString text READ text NOTIFY changed)

public:
    /// Sets the channel at `address` to a bias (A) and a trigger level (V).
    using Restorer = std::function<void(int address, double bias, double level)>;

    static constexpr double BiasResolution = 1e-8; ///< A: a measured bias is kept to 0.01 uA

    explicit SweepReturnOffer(Restorer restore, QObject *parent = nullptr);

    bool offered() const { return m_offered; }
    int mode() const { return m_mode; }
    QString text() const;

    /// A sweep of `mode` begins on the channel at `address`, which was last read at `bias` (A)
    /// and `level` (V). An offer still open from an earlier sweep is withdrawn.
    void remember(int mode, int address, double bias, double level);
    /// Nothing is known of the channel the sweep begins on: no offer after it.
    void forget();
    /// The sweep has ended: the offer stands until taken or declined.
    void offer();

    /// Sets the values from before the sweep again.
    Q_INVOKABLE void accept();
    Q_INVOKABLE void decline();

signals:
    void changed();

private:
    void setOffered(bool offered);

    Restorer m_restore;
    bool m_known = false;
    bool m_offered = false;
    int m_mode = -1;
    int m_address = -1;
    double m_bias = 0;  ///< A
    double m_level = 0; ///< V
};
