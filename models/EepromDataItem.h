#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

/// One calibration constant of the module being edited: a single number or a pair of numbers,
/// shown under a group caption. GUI thread only.
class EepromDataItem : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString group READ group WRITE setGroup NOTIFY groupChanged)
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(QString displayedName READ displayedName WRITE setDisplayedName NOTIFY displayedNameChanged)
    Q_PROPERTY(EepromDataType type READ type WRITE setType NOTIFY typeChanged)
    Q_PROPERTY(QVariant value READ value WRITE setValue NOTIFY valueChanged)
public:
    enum EepromDataType
    {
        Single = 0, ///< one number
        Pair = 1    ///< a CalibrationPair: (slope, intercept) or (voltage, temperature)
    };
    Q_ENUM(EepromDataType)

    explicit EepromDataItem(QObject *parent = nullptr);
    EepromDataItem(const QString &group, const QString &name, const QString &displayedName,
                   EepromDataType type, const QVariant &value, QObject *parent = nullptr);

    QString group() const { return m_group; }
    void setGroup(const QString &group);
    QString name() const { return m_name; }
    void setName(const QString &name);
    QString displayedName() const { return m_displayedName; }
    void setDisplayedName(const QString &displayedName);
    EepromDataType type() const { return m_type; }
    void setType(EepromDataType type);
    QVariant value() const { return m_value; }
    void setValue(const QVariant &value);

signals:
    void groupChanged();
    void nameChanged();
    void displayedNameChanged();
    void typeChanged();
    void valueChanged();

private:
    QString m_group;
    QString m_name;
    QString m_displayedName;
    EepromDataType m_type = Single;
    QVariant m_value;
};
