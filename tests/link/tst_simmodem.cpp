#include "sim/adapter.h"
#include "sim/simmodem.h"
#include "testmain.h"

#include "link/serialport.h"
#include <QElapsedTimer>

#include <functional>

// The simulated modem itself, through a real SerialPort: what the configurator's tests rely on.
class TestSimModem : public QObject
{
    Q_OBJECT

    struct Chunk
    {
        qint64 atMs;
        QByteArray bytes;
    };

    std::unique_ptr<sim::SimModem> modem;
    std::unique_ptr<SerialPort> port;
    QVector<Chunk> chunks;
    QElapsedTimer clock;

    QByteArray all() const
    {
        QByteArray b;
        for (const Chunk &c : chunks)
            b += c.bytes;
        return b;
    }

    // Waits until the modem has taken `records` records, has nothing left to say, and everything it handed
    // over has reached the port. Conditions, not sleeps: a busy machine only makes it take longer.
    bool settle(int records)
    {
        return waitFor([&] {
            return modem->records().size() >= records && modem->isOutputIdle() && all() == modem->sent();
        });
    }
    static bool waitFor(const std::function<bool()> &done)
    {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > 30000)
                return false;
            QTest::qWait(1);
        }
        return true;
    }

    void send(const QByteArray &bytes)
    {
        port->write(bytes);
        port->flush();
    }

private slots:
    void init()
    {
        modem = std::make_unique<sim::SimModem>();
        QVERIFY2(modem->start(), qPrintable(modem->errorString()));
        port = std::make_unique<SerialPort>();
        port->setPortName(modem->slavePath());
        port->setBaudRate(9600);
        QVERIFY2(port->open(QIODevice::ReadWrite), qPrintable(port->errorString()));
        chunks.clear();
        clock.start();
        connect(port.get(), &SerialPort::readyRead, this, [this] {
            chunks.append({clock.elapsed(), port->readAll()});
        });
    }

    void cleanup()
    {
        port.reset();
        modem.reset();
    }

    void handshakeAfterAnswerDelayAndLineTime()
    {
        modem->setAnswerDelayMs(20);
        clock.restart();
        send("MODEM?;");
        QVERIFY(settle(1));
        QCOMPARE(all(), QByteArray("MODEM_READY;\r\n"));
        // 7 bytes in, 20 ms, 14 bytes out: never faster than the line allows.
        QVERIFY2(chunks.last().atMs >= 35, QByteArray::number(chunks.last().atMs));
        QCOMPARE(modem->records(), QByteArrayList{"MODEM?;"});
    }

    void readAllIsPacedInAdapterChunks_data()
    {
        QTest::addColumn<int>("chunkBytes");
        QTest::addColumn<int>("latencyMs");
        QTest::newRow("default 62/16") << 62 << 16;
        QTest::newRow("16 bytes") << 16 << 100;
    }
    void readAllIsPacedInAdapterChunks()
    {
        QFETCH(int, chunkBytes);
        QFETCH(int, latencyMs);
        modem->setChunking(chunkBytes, latencyMs);
        modem->setAnswerDelayMs(0);
        clock.restart();
        send("READALL;");
        QVERIFY(settle(1));
        QByteArray expected;
        for (const auto &p : sim::SimModem::defaultParams())
            expected += (p.first + "=" + p.second + ";\r\n").toLatin1();
        QCOMPARE(all(), expected);
        // The chunks as the adapter handed them over (a busy reader may take several in one go).
        const QVector<sim::Handover> handovers = modem->handovers();
        for (const sim::Handover &h : handovers)
            QVERIFY(h.bytes <= chunkBytes);
        QVERIFY(handovers.size() >= expected.size() / chunkBytes);
        // At 960 bytes/s the whole set takes its line time: it is never there sooner.
        const double lineMs = expected.size() * 10.0 / 9.6;
        QVERIFY2(chunks.last().atMs >= lineMs * 0.95, QByteArray::number(chunks.last().atMs));
    }

    void recordsAreStoredOnWriteAllOnly()
    {
        // Each send once the modem has taken the one before: the line is free then, whatever the machine.
        send("SETLOG=1;");
        QVERIFY(waitFor([&] { return modem->pendingParams().contains({"SETLOG", "1"}); }));
        QCOMPARE(modem->param("SETLOG"), QString("0"));
        send("NEWKEY=a,b;");
        QVERIFY(waitFor([&] { return modem->pendingParams().size() == 2; }));
        send("WRITEALL;");
        QVERIFY(settle(3));
        QCOMPARE(modem->writeAllCount(), 1);
        QCOMPARE(modem->param("SETLOG"), QString("1"));
        QCOMPARE(modem->param("NEWKEY"), QString("a,b"));
        QVERIFY(modem->pendingParams().isEmpty());
        QCOMPARE(modem->overrunCount(), 0);
        QVERIFY(all().isEmpty()); // records and WRITEALL get no answer
    }

    void upperCaseSetId()
    {
        modem->setUpperCaseSetId(true);
        send("SETID=1,obj-3a;");
        QVERIFY(waitFor([&] { return !modem->pendingParams().isEmpty(); }));
        send("WRITEALL;");
        QTRY_COMPARE(modem->writeAllCount(), 1);
        QCOMPARE(modem->param("SETID"), QString("1,OBJ-3A"));
    }

    void informationLines_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("IMEI") << QByteArray("IMEI;") << QByteArray("IMEI=356938035643809;\r\n");
        QTest::newRow("MODEL") << QByteArray("MODEL;") << QByteArray("MODEL=VELON-GSM3;\r\n");
        QTest::newRow("PROGVER") << QByteArray("PROGVER;") << QByteArray("PROGVER=2.14;\r\n");
        QTest::newRow("GSMVER") << QByteArray("GSMVER;") << QByteArray("GSMVER=SIM800C R14.18;\r\n");
        QTest::newRow("OPERATOR") << QByteArray("OPERATOR;")
                                  << QByteArray("OPERATOR=MegaFon;\r\nRFLEVEL=23;\r\n");
    }
    void informationLines()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, reply);
        send(command);
        QVERIFY(settle(1));
        QCOMPARE(all(), reply);
    }

    void behaviours_data()
    {
        QTest::addColumn<QByteArray>("noiseBefore");
        QTest::addColumn<QByteArray>("noiseAfter");
        QTest::addColumn<int>("cutAt");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("noise") << QByteArray("\x01zz") << QByteArray("##") << -1
                               << QByteArray("\x01zzMODEM_READY;\r\n##");
        QTest::newRow("cut at 0") << QByteArray() << QByteArray() << 0 << QByteArray();
        QTest::newRow("cut at 11") << QByteArray() << QByteArray() << 11 << QByteArray("MODEM_READY");
        QTest::newRow("noise then cut") << QByteArray("xy") << QByteArray("z") << 5 << QByteArray("xyMOD");
    }
    void behaviours()
    {
        QFETCH(QByteArray, noiseBefore);
        QFETCH(QByteArray, noiseAfter);
        QFETCH(int, cutAt);
        QFETCH(QByteArray, expected);
        modem->setNoise(noiseBefore, noiseAfter);
        modem->setCutReplyAt(cutAt);
        send("MODEM?;");
        QVERIFY(settle(1));
        QCOMPARE(all(), expected);
    }

    void silentAndReplyOverride()
    {
        modem->setSilent(true);
        send("MODEM?;");
        QVERIFY(settle(1));
        QVERIFY(all().isEmpty());
        QCOMPARE(modem->records(), QByteArrayList{"MODEM?;"});
        modem->setSilent(false);
        modem->setReply("MODEM?;", "modem_ready;");
        send("MODEM?;");
        QVERIFY(settle(2));
        QCOMPARE(all(), QByteArray("modem_ready;"));
    }

    void recordOrderAndRawSet()
    {
        modem->setRecordOrder({"SERVER", "SETLOG"});
        send("READALL;");
        QVERIFY(settle(1));
        QVERIFY(all().startsWith("SERVER=0,502,30,24;\r\nSETLOG=0;\r\nSETCOM=9600,8,N,1,0;\r\n"));
        chunks.clear();
        modem->clearLog();
        const QByteArray big = "SETURL1=" + QByteArray(1600, 'a') + ",502,10;\r\n";
        modem->setReadAllReply(big);
        send("READALL;");
        QVERIFY(settle(1));
        QCOMPARE(all(), big);
    }

    void debugLinesOnDemand()
    {
        modem->sendDebug("GSM: registered");
        QVERIFY(settle(0));
        QCOMPARE(all(), QByteArray("DEBUG=GSM: registered;\r\n"));
        send("DEBUG=L0;");
        QTRY_COMPARE(modem->debugLevel(), QString("L0"));
        QVERIFY(modem->pendingParams().isEmpty());
    }

    // The adapter: it takes 256 bytes and leaves the rest with the driver; an output purge empties its
    // buffer, as a real adapter's is emptied, and the driver's queue; bytes not purged all arrive, at line
    // rate. Held in the adapter for a minute, the bytes wait there however busy the machine.
    void adapterBufferAndPurge()
    {
        modem->setTransmitLatencyMs(60000);
        const QByteArray held = "SETURL1=" + QByteArray(1000, 'x') + ",502,10;";
        send(held);
        QVERIFY(waitFor([&] { return modem->received().size() == sim::TransmitAdapter::defaultCapacity; }));
        port->clear(SerialPort::Input); // only the input: nothing is lost
        QVERIFY(waitFor([&] { return modem->received().size() == sim::TransmitAdapter::defaultCapacity; }));
        QCOMPARE(modem->overrunCount(), 0);
        port->clear(SerialPort::Output);
        QTRY_COMPARE(modem->overrunCount(), 1);
        QCOMPARE(modem->overruns().first().lost, held);
        QVERIFY(modem->records().isEmpty());

        modem->setTransmitLatencyMs(16);
        modem->clearLog();
        const QByteArray longRecord = "SETURL2=" + QByteArray(600, 'y') + ",502,10;";
        send(longRecord);
        send("SETLOG=1;");
        QVERIFY(waitFor([&] { return modem->log().size() == 2; }));
        QCOMPARE(modem->records(), (QByteArrayList{longRecord, "SETLOG=1;"}));
        QCOMPARE(modem->overrunCount(), 0);
        // Arrival is modelled at line rate, 16 ms after the adapter took the first byte.
        const sim::ReceivedRecord r = modem->log().first();
        QVERIFY(r.lastByteMs - r.firstByteMs >= (longRecord.size() - 1) * 1.0);
        QVERIFY(r.firstByteMs - r.readAtMs >= 16.0);
    }

    void hangUpMidReply()
    {
        int errors = 0;
        connect(port.get(), &SerialPort::errorOccurred, this, [&](SerialPort::SerialPortError e) {
            if (e != SerialPort::NoError)
                ++errors;
        });
        modem->setHangUpAt(10);
        send("MODEM?;");
        QTRY_VERIFY(modem->isHungUp());
        QTRY_VERIFY(errors > 0);
        QTest::qWait(50);
        // The pty reports the lost device the way Qt does for an unplugged USB adapter: a storm of
        // ReadError, which the configurator must survive.
        QVERIFY(errors > 0);
        QCOMPARE(all(), QByteArray("MODEM_READ"));
    }
};

VELON_TEST_MAIN(TestSimModem)
#include "tst_simmodem.moc"
