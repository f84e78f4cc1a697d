#include "sim/adapter.h"
#include "sim/simmodem.h"
#include "testmain.h"

#include "link/serialport.h"
#include <QElapsedTimer>
#include <QSet>

#include <functional>

Q_DECLARE_METATYPE(sim::Fault)

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

    // Each fault the soak injects: once, where it first applies, and recorded. Timing is read on the
    // modem's own clock, from the last record taken to the end of the reply.
    void faultsAreInjectedOnceWhereTheyApply_data()
    {
        using K = sim::Fault::Kind;
        QTest::addColumn<sim::Fault>("fault");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArrayList>("taken"); // records(), as the modem took them
        QTest::addColumn<double>("silenceMs");     // at least, on top of the line time
        const QByteArray ready = "MODEM_READY;\r\n";
        const QByteArray imei = "IMEI=356938035643809;\r\n";
        const auto fault = [](K kind, const char *target, int offset, int ms = 0, int bit = 0) {
            sim::Fault f;
            f.kind = kind;
            f.target = target;
            f.offset = offset;
            f.ms = ms;
            f.bit = bit;
            f.lines = 3;
            return f;
        };
        sim::Fault afterWrite = fault(K::ReplyCut, "MODEM?;", 5);
        afterWrite.after = "WRITEALL;";
        QTest::newRow("byte lost on the way back")
            << fault(K::LostToHost, "MODEM?;", 3) << QByteArray("MODEM?;MODEM?;")
            << QByteArray("MODM_READY;\r\n" + ready) << QByteArrayList{"MODEM?;", "MODEM?;"} << 0.0;
        QTest::newRow("bit flipped on the way back, offset past the end")
            << fault(K::FlippedToHost, "MODEM?;", 14 * 3, 0, 5) << QByteArray("MODEM?;")
            << QByteArray("mODEM_READY;\r\n") << QByteArrayList{"MODEM?;"} << 0.0;
        QTest::newRow("the next reply cut") << fault(K::ReplyCut, "", 5) << QByteArray("MODEM?;")
                                            << QByteArray("MODEM") << QByteArrayList{"MODEM?;"} << 0.0;
        // An offset taken as it is passes over a reply too short for it; nth passes over places before.
        sim::Fault reaching = fault(K::FlippedToHost, "", 20);
        reaching.reach = true;
        QTest::newRow("the first reply long enough")
            << reaching << QByteArray("MODEM?;IMEI;") << QByteArray(ready + "IMEI=356938035643809:\r\n")
            << QByteArrayList{"MODEM?;", "IMEI;"} << 0.0;
        sim::Fault second = fault(K::LostToModem, "", 6);
        second.nth = 2;
        QTest::newRow("the second record") << second << QByteArray("SETID=1,X;SETLOG=1;") << QByteArray()
                                           << QByteArrayList{"SETID=1,X;", "SETLOG1;"} << 0.0;
        QTest::newRow("only the reply after WRITEALL")
            << afterWrite << QByteArray("MODEM?;WRITEALL;MODEM?;") << QByteArray(ready + "MODEM")
            << QByteArrayList{"MODEM?;", "WRITEALL;", "MODEM?;"} << 0.0;
        QTest::newRow("reply late") << fault(K::ReplyLate, "IMEI;", 0, 400) << QByteArray("IMEI;") << imei
                                    << QByteArrayList{"IMEI;"} << 400.0;
        QTest::newRow("pause mid-reply") << fault(K::ReplyPaused, "IMEI;", 7, 300) << QByteArray("IMEI;")
                                         << imei << QByteArrayList{"IMEI;"} << 300.0;
        QTest::newRow("byte lost on the way out")
            << fault(K::LostToModem, "SETLOG=", 6) << QByteArray("SETLOG=1;") << QByteArray()
            << QByteArrayList{"SETLOG1;"} << 0.0;
        QTest::newRow("lost ';' joins two records")
            << fault(K::LostToModem, "SETLOG=", 8) << QByteArray("SETLOG=1;WRITEALL;") << QByteArray()
            << QByteArrayList{"SETLOG=1WRITEALL;"} << 0.0;
        QTest::newRow("bit flipped on the way out")
            << fault(K::FlippedToModem, "SETLOG=", 7, 0, 0) << QByteArray("SETLOG=1;WRITEALL;")
            << QByteArray() << QByteArrayList{"SETLOG=0;", "WRITEALL;"} << 0.0;
        // The records before the restart are forgotten, those during its boot never taken.
        QTest::newRow("restart") << fault(K::Restart, "SETLOG=", 0, 1000)
                                 << QByteArray("SETID=1,X;SETLOG=1;SETCSD=0,0,1;") << ready
                                 << QByteArrayList{"SETID=1,X;"} << 1000.0;
        QTest::newRow("DEBUG flood")
            << fault(K::DebugFlood, "IMEI;", 0) << QByteArray("IMEI;")
            << QByteArray("DEBUG=GSM: +CSQ: 23,0 cycle 0;\r\nDEBUG=GSM: +CSQ: 23,0 cycle 1;\r\n"
                          "DEBUG=GSM: +CSQ: 23,0 cycle 2;\r\n" +
                          imei)
            << QByteArrayList{"IMEI;"} << 0.0;
    }
    void faultsAreInjectedOnceWhereTheyApply()
    {
        QFETCH(sim::Fault, fault);
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, reply);
        QFETCH(QByteArrayList, taken);
        QFETCH(double, silenceMs);
        modem->setFault(fault);
        send(sent);
        QVERIFY(waitFor([&] { return !modem->faultEvents().isEmpty(); }));
        QVERIFY(settle(taken.size()));
        QCOMPARE(all(), reply);
        QCOMPARE(modem->records(), taken);
        QCOMPARE(modem->faultEvents().size(), 1);
        QCOMPARE(modem->faultEvents().first().kind, fault.kind);
        if (fault.kind == sim::Fault::Kind::Restart)
            QVERIFY(modem->pendingParams().isEmpty());
        if (fault.kind == sim::Fault::Kind::FlippedToModem)
            QCOMPARE(modem->param("SETLOG"), QString("0"));
        // A chunk is never handed over before its modelled time, however busy the machine: the reply's
        // end comes no sooner than the delay after the last record taken.
        if (silenceMs > 0) {
            const double span = modem->handovers().last().atMs - modem->log().last().lastByteMs;
            QVERIFY2(span >= silenceMs, QByteArray::number(span));
        }
        // Spent: the same again goes clean.
        chunks.clear();
        modem->clearLog();
        send(sent);
        QVERIFY(settle(sent.count(';')));
        QCOMPARE(modem->faultEvents().size(), 1);
        if (!reply.isEmpty() && fault.kind != sim::Fault::Kind::Restart)
            QVERIFY(!all().isEmpty() && !all().startsWith("DEBUG"));
    }

    void hangUpMidRecord()
    {
        sim::Fault fault;
        fault.kind = sim::Fault::Kind::HangUp;
        fault.target = "SETLOG=";
        fault.offset = 3;
        modem->setFault(fault);
        send("SETID=1,X;SETLOG=1;");
        QTRY_VERIFY(modem->isHungUp());
        QCOMPARE(modem->records(), QByteArrayList{"SETID=1,X;"});
        QCOMPARE(modem->faultEvents().first().after, QByteArray("SET"));
    }

    // A soak's faults: the same seed gives the same fault; every kind comes, on a place of its sort.
    void pickedFaultsAreReproducible()
    {
        sim::FaultSites sites;
        sites.replies.append(sim::FaultSite{"READALL;", "WRITEALL;"});
        sites.records.append(sim::FaultSite{"SETLOG=", QByteArray()});
        QSet<int> kinds;
        int faulty = 0;
        for (int cycle = 0; cycle < 400; ++cycle) {
            const sim::Fault f = sim::pickFault(7, cycle, 0.5, sites);
            const sim::Fault again = sim::pickFault(7, cycle, 0.5, sites);
            QCOMPARE(int(again.kind), int(f.kind));
            QCOMPARE(again.offset, f.offset);
            QCOMPARE(sim::pickFault(7, cycle, 0, sites).kind, sim::Fault::Kind::None);
            if (f.kind == sim::Fault::Kind::None)
                continue;
            ++faulty;
            kinds.insert(int(f.kind));
            QCOMPARE(f.target, QByteArray(sim::hitsReply(f.kind) ? "READALL;" : "SETLOG="));
            if (f.kind == sim::Fault::Kind::ReplyLate)
                QVERIFY(f.ms >= 400 && f.ms <= 2500);
        }
        QVERIFY2(faulty > 150 && faulty < 250, QByteArray::number(faulty));
        QCOMPARE(kinds.size(), sim::faultKinds().size());
    }
};

VELON_TEST_MAIN(TestSimModem)
#include "tst_simmodem.moc"
