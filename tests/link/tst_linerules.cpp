#include "link/portwatch.h"
#include "link/writeplan.h"
#include "params/records.h"
#include "testmain.h"

using Params = QMap<QString, QString>;

// The link's widget-free rules for an imperfect line: which ports the watcher probes at each look, and
// what a write's read-backs and the look before a write make of the sets they get.
class TestLineRules : public QObject
{
    Q_OBJECT

    static portsurvey::Port verdict(const QString &name, char kind)
    {
        portsurvey::Port p;
        p.name = name;
        p.answered = kind == 'A';
        p.problem = kind == 'B'   ? portopen::Problem::Busy
                    : kind == 'P' ? portopen::Problem::NoPermission
                    : kind == 'O' ? portopen::Problem::Other
                                  : portopen::Problem::None;
        return p;
    }
    static QMap<QString, QString> set(const QMap<QString, QString> &changes = {})
    {
        QMap<QString, QString> values;
        for (const QString &key : records::paramsKeyList())
            values.insert(key, key == "SETSIM2" ? "1234,mts,mts,internet.mts.ru" : QString("1"));
        for (auto kv = changes.begin(); kv != changes.end(); ++kv)
            values.insert(kv.key(), kv.value());
        return values;
    }
    static QStringList texts(const QMap<QString, QString> &values)
    {
        QStringList t;
        for (const QString &key : records::paramsKeyList())
            t.append(key + "=" + values.value(key) + ";");
        return t;
    }

private slots:
    // Looks at the list, each with the ports present, the time, the ports due and the verdicts of their
    // probes (A answered, S silent, B busy, P no permission, O another failure, in the order due).
    void watchSchedule_data()
    {
        QTest::addColumn<QStringList>("looks"); // "ms:present:due:verdicts", present and due as letters
        const int every = portwatch::silentRetryMs;
        QTest::newRow("a new port is probed once, then again while it stays silent, for a while")
            << QStringList{"0:a:a:S", QString("%1:a::").arg(every - 1), QString("%1:a:a:S").arg(every),
                           QString("%1:a:a:S").arg(portwatch::silentRetryForMs),
                           QString("%1:a::").arg(portwatch::silentRetryForMs + every)};
        QTest::newRow("a port that cannot be opened yet is tried at every look, then as any other")
            << QStringList{"0:a:a:B", "1000:a:a:P", "2000:a:a:S", "3000:a::"};
        QTest::newRow("one that answered or failed otherwise is left alone")
            << QStringList{"0:ab:ab:AO", "1000:ab::"};
        QTest::newRow("a port that left the list is new when it comes back")
            << QStringList{"0:a:a:A", "1000:::", "2000:a:a:S"};
        QTest::newRow("ports added later are new beside old ones")
            << QStringList{"0:a:a:A", "1000:ab:b:B", "2000:abc:bc:SS"};
    }
    void watchSchedule()
    {
        QFETCH(QStringList, looks);
        portwatch::Watch watch;
        for (const QString &look : looks) {
            const QStringList f = look.split(':');
            QStringList present, due;
            for (const QChar c : f.at(1))
                present.append(QString(c));
            for (const QChar c : f.at(2))
                due.append(QString(c));
            QCOMPARE(watch.due(present, f.at(0).toLongLong()), due);
            QVector<portsurvey::Port> verdicts;
            for (int i = 0; i < due.size(); ++i)
                verdicts.append(verdict(due.at(i), f.at(3).at(i).toLatin1()));
            watch.probed(verdicts, f.at(0).toLongLong());
        }
    }

    // A port that cannot be opened is noted once, and once more after it has opened in between.
    void unopenedPortIsNotedOnce()
    {
        portwatch::Watch watch;
        const QVector<QPair<char, bool>> probes{
            {'B', true}, {'B', false}, {'P', false}, {'S', false}, {'B', true}};
        for (const auto &probe : probes) {
            watch.due({"a"}, 0);
            watch.probed({verdict("a", probe.first)}, 0);
            QCOMPARE(watch.noteFailure("a"), probe.second);
        }
    }

    // What the write's read-backs make a verdict of: a key absent is never equal; a key is named only when
    // both read-backs differ from what was written.
    void readBackVerdict_data()
    {
        QTest::addColumn<Params>("written");
        QTest::addColumn<Params>("first");
        QTest::addColumn<Params>("second");
        QTest::addColumn<QStringList>("firstDiffers");
        QTest::addColumn<QStringList>("confirmed");
        QMap<QString, QString> noAdmin = set();
        noAdmin.remove("ADMTEL3");
        QTest::newRow("the same") << set() << set() << set() << QStringList() << QStringList();
        QTest::newRow("a byte damaged in the first only")
            << set() << set({{"SETSIM2", "1234,mts,mts,hnternet.mts.ru"}}) << set() << QStringList{"SETSIM2"}
            << QStringList();
        QTest::newRow("damaged in each, in different keys")
            << set() << set({{"SETSIM2", "x"}}) << set({{"SETLOG", "x"}}) << QStringList{"SETSIM2"}
            << QStringList();
        QTest::newRow("stored otherwise, both agree")
            << set() << set({{"SETID", "1,ABC"}, {"SETLOG", "x"}}) << set({{"SETID", "1,ABC"}})
            << QStringList{"SETID", "SETLOG"} << QStringList{"SETID"};
        QTest::newRow("a key absent is not equal, not even to an empty value")
            << set({{"ADMTEL3", ""}}) << noAdmin << noAdmin << QStringList{"ADMTEL3"}
            << QStringList{"ADMTEL3"};
    }
    void readBackVerdict()
    {
        QFETCH(Params, written);
        QFETCH(Params, first);
        QFETCH(Params, second);
        QFETCH(QStringList, firstDiffers);
        QFETCH(QStringList, confirmed);
        QCOMPARE(writeplan::mismatchedKeys(written, first), firstDiffers);
        QCOMPARE(writeplan::confirmedMismatches(written, first, second), confirmed);
    }

    // The look before a write of values read from the modem: the keys the engineer did not edit whose value
    // in the modem now differs from the read, named in one question.
    void changedSinceRead()
    {
        const QMap<QString, QString> damagedRead = set({{"SETSIM2", "1234,mts,mts,hnternet.mts.ru"}});
        const QStringList formAfterRead = texts(damagedRead);
        QStringList edited = formAfterRead;
        edited[records::paramsKeyList().indexOf("SETURL5")] = "SETURL5=e.example,1,0;";
        // The engineer's own edit is no surprise; the damaged key is.
        QCOMPARE(writeplan::changedSinceRead(damagedRead, formAfterRead, edited, set({{"SETURL5", "z"}})),
                 QStringList{"SETSIM2"});
        // A key the engineer edited is not asked about, however the modem changed it.
        edited[records::paramsKeyList().indexOf("SETSIM2")] = "SETSIM2=1,a,b,c;";
        QCOMPARE(writeplan::changedSinceRead(damagedRead, formAfterRead, edited, set()), QStringList());
        // A read cut short: a key it lacked did not come from the modem.
        QMap<QString, QString> cut = set();
        cut.remove("SERVER");
        QCOMPARE(writeplan::changedSinceRead(cut, texts(cut), texts(cut), set()), QStringList{"SERVER"});
        QCOMPARE(writeplan::changedSinceReadQuestion({"SETSIM2", "ADMTEL3"}),
                 QString("Набор в модеме отличается от прочитанного в параметрах, которые вы не меняли: "
                         "SETSIM2, ADMTEL3"));
    }
};

VELON_TEST_MAIN(TestLineRules)
#include "tst_linerules.moc"
