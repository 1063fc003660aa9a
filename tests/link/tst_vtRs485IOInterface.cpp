#include "CommonDriver.h"
#include "PseudoTerminal.h"
#include "SimulatorProcess.h"
#include "vtRs485IOInterface.h"

#include <QSignalSpy>
#include <QTest>

namespace {
constexpr int WaitMs = 3000;
constexpr int ReadGapMs = 30; ///< between pieces written to the line, so they arrive as separate reads

struct Message
{
    quint8 address;
    quint8 command;
    QByteArray data;
};

// The two frames of the codec's byte table: (1, 2, no data) and (5, 0x10, FA 01).
const QByteArray FrameEmpty = QByteArray::fromHex("f9010200 3ca1c89c fa");
const QByteArray FrameWithEndValue = QByteArray::fromHex("f9051002 fbfd01 3bc7ab85 fa");
} // namespace

/// The serial link against the far end of a pseudo-terminal pair that the test plays itself.
class tst_vtRs485IOInterface : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void writesFramesOfTheByteTable_data();
    void writesFramesOfTheByteTable();
    void assemblesFramesFromTheStream_data();
    void assemblesFramesFromTheStream();
    void sendingKeepsAHalfReceivedReply();
    void sendFailsWithoutAUsablePort();
    void directModeReadsAndWritesRaw();
    void commonDriverReadsTheSimulatedModule();

private:
    QList<Message> m_messages;
    PseudoTerminal *m_line = nullptr;
    vtRs485IOInterface *m_link = nullptr;
    QByteArray m_written; ///< what the link wrote to the line
};

void tst_vtRs485IOInterface::init()
{
    m_line = new PseudoTerminal(this);
    QString error;
    QVERIFY2(m_line->open(&error), qPrintable(error));
    connect(m_line, &PseudoTerminal::received, this, [this](const QByteArray &bytes) { m_written += bytes; });
    m_link = new vtRs485IOInterface(this);
    m_link->setPortName(m_line->slavePath());
    connect(m_link, &vtIOInterface::msgReceived, this,
            [this](quint8 address, quint8 command, quint8 length, quint8 *data) {
                m_messages.append({address, command, QByteArray(reinterpret_cast<char *>(data), length)});
            });
    QVERIFY(m_link->initialize());
    QCOMPARE(m_link->transmitMode(), vtIOInterfaceImpl::MessageMode);
}

void tst_vtRs485IOInterface::cleanup()
{
    delete m_link;
    delete m_line;
    m_messages.clear();
    m_written.clear();
}

void tst_vtRs485IOInterface::writesFramesOfTheByteTable_data()
{
    QTest::addColumn<quint8>("address");
    QTest::addColumn<quint8>("command");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("no data") << quint8(1) << quint8(2) << QByteArray() << FrameEmpty;
    QTest::newRow("data holding the end marker value")
        << quint8(5) << quint8(0x10) << QByteArray::fromHex("fa01") << FrameWithEndValue;
}

void tst_vtRs485IOInterface::writesFramesOfTheByteTable()
{
    QFETCH(quint8, address);
    QFETCH(quint8, command);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, frame);
    QVERIFY(m_link->sendMsg(address, command, static_cast<quint8>(data.size()),
                            reinterpret_cast<quint8 *>(data.data())));
    QTRY_COMPARE_WITH_TIMEOUT(m_written, frame, WaitMs);
}

void tst_vtRs485IOInterface::assemblesFramesFromTheStream_data()
{
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<int>("expected"); ///< messages; each one is (1, 2) or (5, 0x10, FA 01)

    const QByteArray badCrc = QByteArray(FrameEmpty).replace(4, 1, "\x3d");
    const QByteArray overlong = "\xF9" + QByteArray(300, '\x11') + "\xFA";
    QTest::newRow("one frame in three reads")
        << QList<QByteArray>{FrameWithEndValue.left(3), FrameWithEndValue.mid(3, 4), FrameWithEndValue.mid(7)}
        << 1;
    QTest::newRow("noise before the start marker")
        << QList<QByteArray>{QByteArray::fromHex("00fa55fb13") + FrameWithEndValue} << 1;
    QTest::newRow("two frames in one read") << QList<QByteArray>{FrameEmpty + FrameWithEndValue} << 2;
    QTest::newRow("bad CRC, overlong and bad escape dropped")
        << QList<QByteArray>{badCrc, overlong, QByteArray::fromHex("f90102fb01fa"), FrameWithEndValue} << 1;
}

void tst_vtRs485IOInterface::assemblesFramesFromTheStream()
{
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(int, expected);
    for (const QByteArray &piece : pieces) {
        m_line->write(piece);
        QTest::qWait(ReadGapMs);
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_messages.size(), expected, WaitMs);
    const Message &last = m_messages.last();
    QCOMPARE(last.address, quint8(5));
    QCOMPARE(last.command, quint8(0x10));
    QCOMPARE(last.data, QByteArray::fromHex("fa01"));
    if (expected == 2)
        QCOMPARE(m_messages.first().data, QByteArray());
}

void tst_vtRs485IOInterface::sendingKeepsAHalfReceivedReply()
{
    // Outgoing frames are built apart from the frame being received.
    m_line->write(FrameWithEndValue.left(5));
    QTest::qWait(ReadGapMs);
    QVERIFY(m_link->sendMsg(1, 2, 0, nullptr));
    m_line->write(FrameWithEndValue.mid(5));
    QTRY_COMPARE_WITH_TIMEOUT(m_messages.size(), 1, WaitMs);
    QCOMPARE(m_messages.first().data, QByteArray::fromHex("fa01"));
}

void tst_vtRs485IOInterface::sendFailsWithoutAUsablePort()
{
    vtRs485IOInterface unnamed;
    QVERIFY(!unnamed.sendMsg(1, 2, 0, nullptr));
    vtRs485IOInterface missing;
    missing.setPortName(QStringLiteral("/dev/vantrel-no-such-port"));
    QVERIFY(!missing.sendMsg(1, 2, 0, nullptr));
    QCOMPARE(missing.transmitMode(), vtIOInterfaceImpl::DirectMode);

    // The far end goes away: the link closes its port and reports failed sends from then on.
    delete m_line;
    m_line = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT(!m_link->serialPort()->isOpen(), WaitMs);
    QVERIFY(!m_link->sendMsg(1, 2, 0, nullptr));
}

void tst_vtRs485IOInterface::directModeReadsAndWritesRaw()
{
    QVERIFY(!m_link->directWrite("raw"));
    m_link->setTransmitMode(vtIOInterfaceImpl::DirectMode);
    QVERIFY(m_link->directWrite("raw"));
    QTRY_COMPARE_WITH_TIMEOUT(m_written, QByteArray("raw"), WaitMs);
    m_line->write(FrameEmpty);
    QByteArray read;
    QTRY_COMPARE_WITH_TIMEOUT((read += m_link->directRead()), FrameEmpty, WaitMs);
    QVERIFY(m_messages.isEmpty());
}

void tst_vtRs485IOInterface::commonDriverReadsTheSimulatedModule()
{
    SimulatorProcess simulator({"--serial-module", "--serial-noise"});
    QVERIFY(simulator.start());
    vtRs485IOInterface link;
    link.setPortName(simulator.serialPortPath());
    CommonDriver driver;
    driver.setDevAddress(1);
    driver.setIOInterface(&link);
    QVERIFY(driver.getDeviceInfo());
    QCOMPARE(driver.deviceType()->currentValue(), QStringLiteral("VT4SDM0"));
}

QTEST_GUILESS_MAIN(tst_vtRs485IOInterface)
#include "tst_vtRs485IOInterface.moc"
