#include "QmlTestSetup.h"

#include <QQmlEngine>

void QmlTestSetup::qmlEngineAvailable(QQmlEngine *engine)
{
    engine->addImportPath(QStringLiteral(VT_QML_SOURCE_DIR));
}
