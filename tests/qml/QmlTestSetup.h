#pragma once

#include <QObject>

class QQmlEngine;

/// Lets the test files import the screens' theme module from the source tree.
class QmlTestSetup : public QObject
{
    Q_OBJECT
public slots:
    void qmlEngineAvailable(QQmlEngine *engine);
};
