#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariant>
#include <QVariantHash>

class DataProviderItem;

/// A crate that drops its connection may come back with its modules reset (a 12 µA bias back
/// at 0). When the link goes down the settings every module last reported are kept; after the
/// link returns, each module's first good reading is compared with them, and the modules that
/// came back with other settings are named once, gathered over GatherMs. GUI thread.
class ReconnectSettingsCheck : public QObject
{
    Q_OBJECT
public:
    static constexpr int GatherMs = 3000; ///< differences found this soon after the first go in one report

    explicit ReconnectSettingsCheck(QObject *parent = nullptr);

    /// The link's state (ConnectionMonitor::State) changed; `items` is the module list as shown.
    void connectionChanged(int state, const QList<DataProviderItem> &items);
    /// A module's values as read; compared once after the link has come back. The text of its
    /// differences ("" when none, or when it is not compared now).
    QString moduleRead(int address, const QVariantHash &data);

signals:
    /// Which modules came back with other settings, one line each.
    void settingsChanged(const QString &text);

private:
    void report();

    QMap<int, QVariantHash> m_before; ///< settings per bus address when the link went down
    QSet<int> m_pending;              ///< modules still to compare since the link came back
    bool m_down = false;
    QStringList m_lines;
    QTimer m_gather;
};
