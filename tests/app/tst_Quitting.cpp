#include "ScriptedModulePeer.h"
#include "WorkerAsync.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {
constexpr int Rounds = 20;    ///< quits per state
constexpr int WaitMs = 10000; ///< for the state to be reached
constexpr int HangMs = 5000;  ///< a quit slower than this hangs (silent modules held it 150 s)
constexpr quint8 GetDeviceType = 6;
constexpr quint8 GetParams = 29; ///< first read of a detector module's poll
constexpr quint8 SetShort = 23;  ///< first write of a count-rate sweep's preparation

/// How far the program gets before the window closes.
enum class Stage
{
    ListQuery,    ///< the crate never answers its module list query
    TypeReads,    ///< the modules never answer their first read
    Polling,      ///< connected; the modules stop answering
    Sweep,        ///< a count-rate sweep prepares a module that does not answer
    CrateCommand, ///< a crate command the crate never answers
};
} // namespace

/// Closing the program while the worker waits on a crate that does not answer, again and again:
/// the facade's destructor must end the worker within a moment, never after its attempts run out.
class tst_Quitting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void quitsPromptly_data();
    void quitsPromptly();

private:
    /// Drives a new facade to `stage` against `crate`; false if it never got there.
    bool reach(Stage stage, ScriptedModulePeer &crate);

    QTemporaryDir m_config;
};

void tst_Quitting::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
}

bool tst_Quitting::reach(Stage stage, ScriptedModulePeer &crate)
{
    QSignalSpy request(&crate, &ScriptedModulePeer::requestReceived);
    const auto waitForRequest = [&crate, &request](auto matches) {
        return QTest::qWaitFor(
            [&] {
                const auto requests = crate.requests();
                return std::any_of(requests.cbegin(), requests.cend(), matches);
            },
            WaitMs);
    };
    WorkerAsync *facade = WorkerAsync::instance();
    QSignalSpy connected(facade, &WorkerAsync::connected);
    crate.clearRequests();
    facade->connectToVantrel(QStringLiteral("127.0.0.1"));
    switch (stage) {
    case Stage::ListQuery:
        return request.wait(WaitMs);
    case Stage::TypeReads:
        return waitForRequest([](const auto &r) { return r.command == GetDeviceType; });
    default:
        break;
    }
    if (!connected.wait(WaitMs))
        return false;
    if (stage == Stage::Polling) {
        facade->activateMode(WorkerAsync::WorkerModeAllChannels);
        return waitForRequest([](const auto &r) { return r.command == GetParams; });
    }
    if (stage == Stage::Sweep) {
        facade->sendCommand(WorkerAsync::CommandSetActiveChannels, QVariant::fromValue(QList<int>{1}));
        facade->sendCommand(WorkerAsync::CommandSweepParams,
                            QVariantMap{{"from", 0.0}, {"to", 2e-5}, {"step", 1e-6}, {"time_constant", 0.1}});
        facade->sendCommand(WorkerAsync::CommandSetMode, int(WorkerAsync::WorkerModeCpsVersCurrent));
        return waitForRequest([](const auto &r) { return r.command == SetShort; });
    }
    const int linesBefore = crate.textLines().size();
    facade->sendCommand(WorkerAsync::CommandResetUnits, 0);
    return QTest::qWaitFor([&] { return crate.textLines().size() > linesBefore; }, WaitMs);
}

void tst_Quitting::quitsPromptly_data()
{
    QTest::addColumn<int>("stageNumber");
    QTest::newRow("module list query unanswered") << int(Stage::ListQuery);
    QTest::newRow("first reads of silent modules") << int(Stage::TypeReads);
    QTest::newRow("polling silent modules") << int(Stage::Polling);
    QTest::newRow("preparing a sweep of a silent module") << int(Stage::Sweep);
    QTest::newRow("crate command unanswered") << int(Stage::CrateCommand);
}

void tst_Quitting::quitsPromptly()
{
    QFETCH(int, stageNumber);
    const auto stage = static_cast<Stage>(stageNumber);
    // Three detector modules that answer only their first read, or nothing at all.
    ScriptedModulePeer crate;
    QVERIFY(crate.listen());
    qputenv("VT4_CRATE_PORT", QByteArray::number(crate.port()));
    if (stage != Stage::ListQuery) {
        QJsonArray info;
        for (int address : {1, 2, 3})
            info.append(QJsonObject{{"address", address}, {"type", "VT4SDM0"}});
        crate.setTextReply("SYST:DEVJ?", QJsonDocument(QJsonObject{{"count", 3}, {"info", info}}).toJson());
    }
    crate.setResponder([stage](const ScriptedModulePeer::Request &request) {
        const bool answers = stage != Stage::TypeReads && request.command == GetDeviceType;
        return answers ? ScriptedModulePeer::record(request.address, request.command, "VT4SDM0")
                       : QByteArray();
    });

    for (int round = 0; round < Rounds; ++round) {
        QVERIFY2(reach(stage, crate), qPrintable(QStringLiteral("round %1").arg(round)));
        QElapsedTimer quitting;
        quitting.start();
        WorkerAsync::destroyInstance();
        QVERIFY2(quitting.elapsed() < HangMs,
                 qPrintable(QStringLiteral("round %1 took %2 ms").arg(round).arg(quitting.elapsed())));
    }
}

QTEST_MAIN(tst_Quitting)
#include "tst_Quitting.moc"
