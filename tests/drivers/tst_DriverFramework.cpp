// The endpoint, the driver base and the typed properties, driven over a real TCP link against a
// scripted module peer that answers late, from another address, with a wrong length, or not at all.
#include "AbstractDriver.h"
#include "DriverCommand.h"
#include "DriverProperty.h"
#include "DriverPropertyReadOnly.h"
#include "DriverPropertyWriteOnly.h"
#include "PeerLink.h"
#include "vtIODeviceImpl.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <memory>
#include <type_traits>

namespace {
// Which halves a property type exposes, detected without calling anything.
template <typename P, typename = void> struct CanRead : std::false_type
{
};
template <typename P>
struct CanRead<
    P, std::void_t<decltype(std::declval<P &>().getValue()), decltype(std::declval<P &>().currentValue()),
                   decltype(std::declval<P &>().gettedSignal())>> : std::true_type
{
};
template <typename P, typename = void> struct CanWrite : std::false_type
{
};
template <typename P>
struct CanWrite<P, std::void_t<decltype(std::declval<P &>().setValue(std::declval<float>())),
                               decltype(std::declval<P &>().lastSettedValue()),
                               decltype(std::declval<P &>().settedSignal())>> : std::true_type
{
};
template <typename P, typename = void> struct CanReadSync : std::false_type
{
};
template <typename P>
struct CanReadSync<P, std::void_t<decltype(std::declval<P &>().getValueSync(nullptr, 1))>> : std::true_type
{
};

static_assert(CanRead<DriverProperty<float>>::value && CanWrite<DriverProperty<float>>::value);
static_assert(CanRead<DriverPropertyReadOnly<float>>::value &&
              CanReadSync<DriverPropertyReadOnly<float>>::value);
static_assert(!CanWrite<DriverPropertyReadOnly<float>>::value, "a read-only property must not be writable");
static_assert(CanWrite<DriverPropertyWriteOnly<float>>::value);
static_assert(!CanRead<DriverPropertyWriteOnly<float>>::value, "a write-only property must not be readable");
static_assert(!CanReadSync<DriverPropertyWriteOnly<float>>::value,
              "a write-only property must not be readable");
static_assert(!std::is_convertible_v<DriverPropertyReadOnly<float> *, DriverProperty<float> *>,
              "the full property must not be reachable from the read-only form");
static_assert(!std::is_convertible_v<DriverPropertyWriteOnly<float> *, DriverProperty<float> *>,
              "the full property must not be reachable from the write-only form");
static_assert(!CanRead<DriverCommand>::value && !std::is_convertible_v<DriverCommand *, DriverProperty_p *>);

/// Address, command and data of one message, as the tests compare them.
QByteArray message(quint8 address, quint8 command, const quint8 *data, quint8 dataLength)
{
    QByteArray bytes;
    bytes.append(char(address)).append(char(command));
    return bytes + QByteArray(reinterpret_cast<const char *>(data), dataLength);
}

constexpr quint8 Address = 7;
constexpr quint8 OtherAddress = 8;
constexpr quint8 FloatGet = 0x40, FloatSet = 0x41, TextGet = 0x42, SwitchSet = 0x43, CommandCode = 0x44;
constexpr quint8 UnknownCode = 0x60;
constexpr int LateReplyMs = 300; // well past the driver's time-out in these tests
const QByteArray OnePointFive = QByteArray::fromHex("0000c03f"); // 1.5f

/// A small driver with one property of each kind.
class TestDriver : public AbstractDriver
{
public:
    DriverProperty<float> value{this, FloatGet, FloatSet};
    DriverPropertyReadOnly<QString> text{this, TextGet, DriverProperty_p::NoCommand};
    DriverPropertyWriteOnly<bool> onOff{this, DriverProperty_p::NoCommand, SwitchSet};
    DriverCommand command{this, CommandCode};
};

/// Records what the endpoint hands to its subclass.
class RecordingEndpoint : public vtIODeviceImpl
{
public:
    QList<QByteArray> received;

protected:
    void pMsgReceived(quint8 address, quint8 command, quint8 dataLength, quint8 *data) override
    {
        received << message(address, command, data, dataLength);
    }
};

/// A link that records what it is asked to send.
class RecordingLink : public vtIOInterface
{
public:
    QList<QByteArray> sent;
    bool initialize() override { return true; }
    bool sendMsg(quint8 address, quint8 command, quint8 dataLength, quint8 *data) override
    {
        sent << message(address, command, data, dataLength);
        return true;
    }
    void deliver(quint8 address, quint8 command, QByteArray data)
    {
        emit msgReceived(address, command, quint8(data.size()), reinterpret_cast<quint8 *>(data.data()));
    }
};
} // namespace

class tst_DriverFramework : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void endpointWithoutLinkSendsNothing();
    void endpointKeepsLinkOnNull();
    void endpointPassesEveryAddress();
    void endpointRebindTakesOnlyNewLink();
    void callbacksRunInSubscriptionOrder();
    void registeringUnlistsSameCodes();
    void syncRead_data();
    void syncRead();
    void lateReplyStillStored();
    void silentModuleRetries_data();
    void silentModuleRetries();
    void eventsRunDuringWait();
    void nestedRequestSupersedesOuterWait();
    void setterAcknowledged();
    void asyncWriteRemembersValue();
    void textAcceptsAnyLength_data();
    void textAcceptsAnyLength();
    void oversizeRequestNotSent();
    void commandAcknowledged();
    void deletedPropertyIsUnlisted();

private:
    std::unique_ptr<PeerLink<TestDriver>> m_bench;
};

void tst_DriverFramework::init()
{
    m_bench = std::make_unique<PeerLink<TestDriver>>();
    QVERIFY(m_bench->start(Address));
}

void tst_DriverFramework::endpointWithoutLinkSendsNothing()
{
    RecordingEndpoint endpoint;
    QByteArray data("ab");
    endpoint.sendMsg(1, 2, reinterpret_cast<quint8 *>(data.data()));
    QCOMPARE(endpoint.iOInterface(), nullptr);
}

void tst_DriverFramework::endpointKeepsLinkOnNull()
{
    RecordingLink link;
    RecordingEndpoint endpoint;
    endpoint.setDevAddress(5);
    endpoint.setIOInterface(&link);
    endpoint.setIOInterface(nullptr);
    QCOMPARE(endpoint.iOInterface(), &link);
    QByteArray data("x");
    endpoint.sendMsg(9, 1, reinterpret_cast<quint8 *>(data.data()));
    QCOMPARE(link.sent, QList<QByteArray>{QByteArray::fromHex("050978")});
}

void tst_DriverFramework::endpointPassesEveryAddress()
{
    RecordingLink link;
    RecordingEndpoint endpoint;
    endpoint.setDevAddress(5);
    endpoint.setIOInterface(&link);
    link.deliver(6, 0x10, QByteArray::fromHex("0102"));
    QCOMPARE(endpoint.received, QList<QByteArray>{QByteArray::fromHex("06100102")});
}

void tst_DriverFramework::endpointRebindTakesOnlyNewLink()
{
    RecordingLink first, second;
    RecordingEndpoint endpoint;
    endpoint.setIOInterface(&first);
    endpoint.setIOInterface(&first);
    endpoint.setIOInterface(&second);
    first.deliver(1, 1, {});
    second.deliver(2, 2, {});
    QCOMPARE(endpoint.received, QList<QByteArray>{QByteArray::fromHex("0202")});
}

void tst_DriverFramework::callbacksRunInSubscriptionOrder()
{
    PropertySignal registry;
    QString order;
    registry.subscribe([&] { order += 'A'; });
    registry.subscribe([&] {
        order += 'B';
        if (order.size() < 3)
            registry.subscribe([&] { order += 'C'; });
    });
    registry.notify();
    registry.notify();
    QCOMPARE(order, QStringLiteral("ABCABC"));
}

void tst_DriverFramework::registeringUnlistsSameCodes()
{
    AbstractDriver driver;
    DriverProperty_p a(&driver, 0x10, 0x11);
    DriverProperty_p b(&driver, 0xFF, 0x12);
    DriverProperty_p c(&driver, 0xFF, 0x13);
    QCOMPARE(driver.properties(), (QList<DriverProperty_p *>{&a, &b, &c}));
    DriverProperty_p sameGetter(&driver, 0x10, 0x20);
    QCOMPARE(driver.properties(), (QList<DriverProperty_p *>{&b, &c, &sameGetter}));
    DriverProperty_p sameSetter(&driver, 0xFF, 0x12);
    QCOMPARE(driver.properties(), (QList<DriverProperty_p *>{&c, &sameGetter, &sameSetter}));
}

void tst_DriverFramework::syncRead_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<float>("value");
    QTest::addColumn<int>("callbacks");
    QTest::newRow("exact length") << ScriptedModulePeer::record(Address, FloatGet, OnePointFive) << true
                                  << 1.5f << 1;
    QTest::newRow("3 bytes for a float")
        << ScriptedModulePeer::record(Address, FloatGet, QByteArray::fromHex("0000c0")) << true << 0.0f << 0;
    QTest::newRow("5 bytes for a float")
        << ScriptedModulePeer::record(Address, FloatGet, OnePointFive + '\0') << true << 0.0f << 0;
    QTest::newRow("another address") << ScriptedModulePeer::record(OtherAddress, FloatGet, OnePointFive)
                                     << false << 0.0f << 0;
    QTest::newRow("unknown command") << ScriptedModulePeer::record(Address, UnknownCode, OnePointFive) << true
                                     << 0.0f << 0;
    QTest::newRow("no-command code") << ScriptedModulePeer::record(Address, 0xFF, OnePointFive) << true
                                     << 0.0f << 0;
    QTest::newRow("silent") << QByteArray() << false << 0.0f << 0;
    QTest::newRow("other module, then ours")
        << ScriptedModulePeer::record(OtherAddress, FloatGet, QByteArray::fromHex("00000040")) +
               ScriptedModulePeer::record(Address, FloatGet, OnePointFive)
        << true << 1.5f << 1;
}

void tst_DriverFramework::syncRead()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, answered);
    QFETCH(float, value);
    QFETCH(int, callbacks);
    m_bench->peer.setResponder([reply](const ScriptedModulePeer::Request &) { return reply; });
    int called = 0;
    m_bench->driver.value.gettedSignal()->subscribe([&] { ++called; });

    bool ok = !answered;
    const float read = m_bench->driver.value.getValueSync(&ok, 1);
    QCOMPARE(ok, answered);
    QCOMPARE(read, value);
    QCOMPARE(m_bench->driver.value.currentValue(), value);
    QCOMPARE(called, callbacks);
    QCOMPARE(m_bench->peer.requests().size(), 1);
    QCOMPARE(m_bench->peer.requests().first().command, FloatGet);
    QVERIFY(m_bench->peer.requests().first().data.isEmpty());
}

void tst_DriverFramework::lateReplyStillStored()
{
    m_bench->peer.setAnswer(Address, FloatGet, OnePointFive);
    m_bench->peer.setReplyDelayMs(LateReplyMs);
    int called = 0;
    m_bench->driver.value.gettedSignal()->subscribe([&] { ++called; });
    bool ok = true;
    QCOMPARE(m_bench->driver.value.getValueSync(&ok, 1), 0.0f);
    QVERIFY(!ok);
    QTRY_COMPARE(called, 1);
    QCOMPARE(m_bench->driver.value.currentValue(), 1.5f);
}

void tst_DriverFramework::silentModuleRetries_data()
{
    QTest::addColumn<int>("attempts");
    QTest::newRow("none") << 0;
    QTest::newRow("one") << 1;
    QTest::newRow("three") << 3;
}

void tst_DriverFramework::silentModuleRetries()
{
    QFETCH(int, attempts);
    m_bench->peer.setResponder([](const ScriptedModulePeer::Request &) { return QByteArray(); });
    m_bench->driver.value.setCurrentValue(2.0f);
    bool ok = true;
    QCOMPARE(m_bench->driver.value.getValueSync(&ok, attempts), 2.0f);
    QVERIFY(!ok);
    QTRY_COMPARE(m_bench->peer.requests().size(), attempts);
}

void tst_DriverFramework::eventsRunDuringWait()
{
    m_bench->peer.setResponder([](const ScriptedModulePeer::Request &) { return QByteArray(); });
    bool timerRan = false;
    QTimer::singleShot(0, [&] { timerRan = true; });
    bool ok = true;
    m_bench->driver.value.getValueSync(&ok, 1);
    QVERIFY(!ok);
    QVERIFY(timerRan);
}

void tst_DriverFramework::nestedRequestSupersedesOuterWait()
{
    // The module never answers the outer read; a timer that fires during its wait reads the text.
    m_bench->peer.setResponder([](const ScriptedModulePeer::Request &request) {
        return request.command == TextGet ? ScriptedModulePeer::record(Address, TextGet, "VT4SDM0")
                                          : QByteArray();
    });
    bool innerOk = false;
    QTimer::singleShot(0, [&] { m_bench->driver.text.getValueSync(&innerOk, 1); });
    bool outerOk = true;
    m_bench->driver.value.getValueSync(&outerOk, 1);
    QVERIFY(innerOk);
    QCOMPARE(m_bench->driver.text.currentValue(), QStringLiteral("VT4SDM0"));
    QVERIFY2(!outerOk, "the inner request's answer must not count for the outer one");
}

void tst_DriverFramework::setterAcknowledged()
{
    m_bench->driver.value.setCurrentValue(2.0f);
    int setted = 0, getted = 0;
    m_bench->driver.value.settedSignal()->subscribe([&] { ++setted; });
    m_bench->driver.value.gettedSignal()->subscribe([&] { ++getted; });
    bool ok = false;
    m_bench->driver.value.setValueSync(1.5f, &ok, 1);
    QVERIFY(ok);
    QCOMPARE(setted, 1);
    QCOMPARE(getted, 0);
    QCOMPARE(m_bench->driver.value.currentValue(), 2.0f);
    QCOMPARE(m_bench->driver.value.lastSettedValue(), 1.5f);
    const auto request = m_bench->peer.requests().value(0);
    QCOMPARE(request.command, FloatSet);
    QCOMPARE(request.data, OnePointFive);
}

void tst_DriverFramework::asyncWriteRemembersValue()
{
    m_bench->peer.setResponder([](const ScriptedModulePeer::Request &) { return QByteArray(); });
    m_bench->driver.onOff.setValue(true);
    QCOMPARE(m_bench->driver.onOff.lastSettedValue(), true);
    QTRY_COMPARE(m_bench->peer.requests().size(), 1);
    QCOMPARE(m_bench->peer.requests().first().data, QByteArray::fromHex("01"));
}

void tst_DriverFramework::textAcceptsAnyLength_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("short") << QByteArray("VT4SDM0");
    QTest::newRow("255 bytes") << QByteArray(255, 'x');
}

void tst_DriverFramework::textAcceptsAnyLength()
{
    QFETCH(QByteArray, bytes);
    m_bench->driver.text.setCurrentValue(QStringLiteral("old"));
    m_bench->peer.setAnswer(Address, TextGet, bytes);
    bool ok = false;
    const QString read = m_bench->driver.text.getValueSync(&ok, 1);
    QVERIFY(ok);
    QCOMPARE(read, QString::fromUtf8(bytes));
    QCOMPARE(m_bench->driver.text.currentValue(), read);
}

void tst_DriverFramework::oversizeRequestNotSent()
{
    DriverProperty<QString> longText(&m_bench->driver, 0x50, 0x51);
    bool ok = true;
    longText.setValueSync(QString(256, 'x'), &ok, 5);
    QVERIFY(!ok);
    // A request that does fit goes out afterwards: the link was not left half-written.
    m_bench->driver.command.executeSync(&ok, 1);
    QVERIFY(ok);
    QCOMPARE(m_bench->peer.requests().size(), 1);
    QCOMPARE(m_bench->peer.requests().first().command, CommandCode);
}

void tst_DriverFramework::commandAcknowledged()
{
    int acknowledged = 0;
    m_bench->driver.command.settedSignal()->subscribe([&] { ++acknowledged; });
    bool ok = false;
    m_bench->driver.command.executeSync(&ok, 1);
    QVERIFY(ok);
    QCOMPARE(acknowledged, 1);
    m_bench->peer.sendRaw(ScriptedModulePeer::record(Address, CommandCode));
    QTRY_COMPARE(acknowledged, 2);
}

void tst_DriverFramework::deletedPropertyIsUnlisted()
{
    constexpr quint8 ExtraGet = 0x70;
    auto extra = std::make_unique<DriverPropertyReadOnly<float>>(&m_bench->driver, ExtraGet,
                                                                 DriverProperty_p::NoCommand);
    const qsizetype before = m_bench->driver.properties().size();
    extra.reset();
    QCOMPARE(m_bench->driver.properties().size(), before - 1);
    // A reply for the deleted property's code is now just an answer, dispatched to nothing.
    m_bench->peer.setResponder([](const ScriptedModulePeer::Request &) {
        return ScriptedModulePeer::record(Address, ExtraGet, OnePointFive);
    });
    bool ok = false;
    m_bench->driver.value.getValueSync(&ok, 1);
    QVERIFY(ok);
    QCOMPARE(m_bench->driver.value.currentValue(), 0.0f);
}

QTEST_GUILESS_MAIN(tst_DriverFramework)
#include "tst_DriverFramework.moc"
