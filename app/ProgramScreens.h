#pragma once

class QQmlApplicationEngine;
class WorkerAsync;

/// The program's screens: the facade made ready for them, the types QML reaches in module
/// "MyWorker" 1.0, the style, and the main screen "qrc:/main.qml". Shared by the program and the
/// rendering benchmark, which runs the same screens.
class ProgramScreens
{
public:
    /// Hands the facade's module list to the data model, sets the producer and animation flags
    /// and registers the QML types; once per process, before `load`.
    static void prepare(WorkerAsync *facade);
    /// Loads the main screen into `engine` with the screens' import path and style.
    static void load(QQmlApplicationEngine &engine);
};
