#pragma once

#include <QQmlEngine>

/// Hands a process-wide model to QML as a singleton. The engine would delete a singleton it
/// believes it owns when it is destroyed, so ownership stays with C++.
template <typename Model> Model *cppOwnedSingleton(QQmlEngine *, QJSEngine *)
{
    Model *model = Model::instance();
    QQmlEngine::setObjectOwnership(model, QQmlEngine::CppOwnership);
    return model;
}
