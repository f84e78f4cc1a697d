#include "testmain.h"
#include "windowcycles.h"

#include "params/records.h"

// The soak's window cycle on a fault placed by hand: a read damaged by one flipped bit that still gives a
// valid identifier is noticed by the soak, whatever the window makes of it; a flip in the read-back is no
// damaged read.
class TestSoakWindow : public QObject
{
    Q_OBJECT

    // "O" of SETID's "OBJ-" turned into "N", in the reply to "READALL;" of a modem holding set.
    static sim::Fault flipInSetId(const sim::ParamList &set, const QByteArray &after)
    {
        QByteArray reply;
        for (const auto &kv : set)
            reply += (kv.first + "=" + kv.second + ";\r\n").toLatin1();
        sim::Fault f;
        f.kind = sim::Fault::Kind::FlippedToHost;
        f.target = "READALL;";
        f.after = after;
        f.offset = reply.indexOf("SETID=1,OBJ-") + 8;
        f.bit = 0;
        return f;
    }

private slots:
    void damagedReadIsNoticed_data()
    {
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<int>("noticed"); // written unasked, or asked about
        QTest::newRow("the read") << QByteArray() << 1;
        QTest::newRow("the read-back") << QByteArray("WRITEALL;") << 0;
    }
    void damagedReadIsNoticed()
    {
        QFETCH(QByteArray, after);
        QFETCH(int, noticed);
        windowcycles::Options options;
        options.cycles = 1;
        options.chooseFault = [after](int, const sim::ParamList &set) { return flipInSetId(set, after); };
        soak::Tally tally;
        QVector<windowcycles::Memory> memory;
        windowcycles::run(options, tally, &memory, [](int) {});
        const soak::Tally::Row row = tally.row(sim::Fault::Kind::FlippedToHost);
        QCOMPARE(row.cycles, 1);
        QCOMPARE(row.fired, 1);
        QCOMPARE(row.damagedUnasked + row.asked, noticed);
        QCOMPARE(row.outcomes[int(soak::Outcome::Hang)], 0);
        QCOMPARE(memory.size(), 2);
    }
};

VELON_TEST_MAIN(TestSoakWindow)
#include "tst_soakwindow.moc"
