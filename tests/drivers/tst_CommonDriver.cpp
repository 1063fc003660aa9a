// Identity reads and commands every module shares, against a scripted module peer.
#include "CommonDriver.h"
#include "PeerLink.h"

#include <QSignalSpy>
#include <QTest>

namespace {
constexpr quint8 Address = 3;
constexpr quint8 TypeCode = 6, ModificationCode = 7, HardwareCode = 8, FirmwareCode = 9, DescriptionCode = 10;
constexpr quint8 UdidCode = 5, WriteEepromCode = 12;
const QByteArray UdidBytes = QByteArray::fromHex("5654534400012019");
} // namespace

class tst_CommonDriver : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void membersRegisteredInOrder();
    void deviceInfoReadsAll();
    void deviceInfoStopsAtFirstSilence();
    void wrongLengthIdentifierStillAnswers();
    void eepromWritedPerAcknowledgement();

private:
    void answerIdentity();

    std::unique_ptr<PeerLink<CommonDriver>> m_bench;
};

void tst_CommonDriver::init()
{
    m_bench = std::make_unique<PeerLink<CommonDriver>>();
    QVERIFY(m_bench->start(Address));
}

void tst_CommonDriver::answerIdentity()
{
    ScriptedModulePeer &peer = m_bench->peer;
    peer.setAnswer(Address, TypeCode, "VT4SDM0");
    peer.setAnswer(Address, ModificationCode, "0");
    peer.setAnswer(Address, HardwareCode, "2.1");
    peer.setAnswer(Address, FirmwareCode, "1.4.2");
    peer.setAnswer(Address, DescriptionCode, QByteArray("Détecteur A"));
    peer.setAnswer(Address, UdidCode, UdidBytes + QByteArray::fromHex("0a110001"));
}

void tst_CommonDriver::membersRegisteredInOrder()
{
    QList<QPair<int, int>> codes;
    for (const DriverProperty_p *property : m_bench->driver.properties())
        codes << qMakePair(int(property->cmdGetter()), int(property->cmdSetter()));
    const QList<QPair<int, int>> expected{{6, 255}, {7, 255}, {8, 255}, {9, 255},  {10, 255}, {5, 255},
                                          {255, 0}, {255, 1}, {255, 2}, {255, 11}, {255, 12}};
    QCOMPARE(codes, expected);
}

void tst_CommonDriver::deviceInfoReadsAll()
{
    answerIdentity();
    QVERIFY(m_bench->driver.getDeviceInfo());
    QCOMPARE(m_bench->driver.deviceType()->currentValue(), QStringLiteral("VT4SDM0"));
    QCOMPARE(m_bench->driver.modificationVersion()->currentValue(), QStringLiteral("0"));
    QCOMPARE(m_bench->driver.hardwareVersion()->currentValue(), QStringLiteral("2.1"));
    QCOMPARE(m_bench->driver.firmwareVersion()->currentValue(), QStringLiteral("1.4.2"));
    QCOMPARE(m_bench->driver.deviceDescription()->currentValue(), QStringLiteral("Détecteur A"));
    QCOMPARE(m_bench->driver.UDID()->currentValue().toDisplayString(),
             QStringLiteral("5654-5344-0001-2019-0A11-0001"));
    QList<int> order;
    for (const auto &request : m_bench->peer.requests())
        order << request.command;
    QCOMPARE(order, (QList<int>{6, 7, 8, 9, 10, 5}));
}

void tst_CommonDriver::deviceInfoStopsAtFirstSilence()
{
    m_bench->driver.hardwareVersion()->setCurrentValue(QStringLiteral("kept"));
    m_bench->peer.setResponder([](const ScriptedModulePeer::Request &request) {
        return request.command == TypeCode ? ScriptedModulePeer::record(Address, TypeCode, "VT4SDM0")
                                           : QByteArray();
    });
    QVERIFY(!m_bench->driver.getDeviceInfo());
    QCOMPARE(m_bench->driver.deviceType()->currentValue(), QStringLiteral("VT4SDM0"));
    QCOMPARE(m_bench->driver.modificationVersion()->currentValue(), QString());
    QCOMPARE(m_bench->driver.hardwareVersion()->currentValue(), QStringLiteral("kept"));
    QCOMPARE(m_bench->peer.requests().size(), 2);
}

void tst_CommonDriver::wrongLengthIdentifierStillAnswers()
{
    answerIdentity();
    m_bench->peer.setAnswer(Address, UdidCode, UdidBytes + QByteArray::fromHex("0a1100"));
    QVERIFY(m_bench->driver.getDeviceInfo());
    QCOMPARE(m_bench->driver.UDID()->currentValue().toDisplayString(),
             QStringLiteral("0000-0000-0000-0000-0000-0000"));
}

void tst_CommonDriver::eepromWritedPerAcknowledgement()
{
    QSignalSpy written(&m_bench->driver, &CommonDriver::eepromWrited);
    bool ok = false;
    m_bench->driver.writeEeprom()->executeSync(&ok, 1);
    QVERIFY(ok);
    QCOMPARE(written.size(), 1);
    QCOMPARE(m_bench->peer.requests().value(0).command, WriteEepromCode);
    QVERIFY(m_bench->peer.requests().value(0).data.isEmpty());
    m_bench->peer.sendRaw(ScriptedModulePeer::record(Address, WriteEepromCode) +
                          ScriptedModulePeer::record(Address + 1, WriteEepromCode) +
                          ScriptedModulePeer::record(Address, WriteEepromCode));
    QTRY_COMPARE(written.size(), 3);
}

QTEST_GUILESS_MAIN(tst_CommonDriver)
#include "tst_CommonDriver.moc"
