#include "soaksets.h"
#include "testmain.h"
#include "verdict.h"

#include "params/formrecords.h"
#include "params/records.h"

// How the soak judges a cycle, from what the modem stores, and the sets it writes.
class TestSoak : public QObject
{
    Q_OBJECT

    static soak::Set set() { return soaksets::toMap(sim::SimModem::defaultParams()); }
    static soak::Set with(soak::Set s, const QString &key, const QString &value)
    {
        s.insert(key, value);
        return s;
    }
    static soak::Set without(soak::Set s, const QString &key)
    {
        s.remove(key);
        return s;
    }

private slots:
    void outcomeComesFromWhatTheModemStores_data()
    {
        QTest::addColumn<soak::Set>("stored");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QStringList>("named");
        QTest::addColumn<bool>("hung");
        QTest::addColumn<int>("outcome");
        const soak::Set other = with(set(), "ADMTEL3", "+79990001122");
        const auto o = [](soak::Outcome x) { return int(x); };
        QTest::newRow("held") << set() << true << QStringList() << false << o(soak::Outcome::Held);
        QTest::newRow("success, one key not stored")
            << other << true << QStringList() << false << o(soak::Outcome::FalseSuccess);
        // A key the modem lacks is not held, even where an empty value was written.
        QTest::newRow("success, an emptied key missing")
            << without(set(), "ADMTEL3") << true << QStringList() << false << o(soak::Outcome::FalseSuccess);
        QTest::newRow("the differing key named")
            << other << false << QStringList{"ADMTEL3"} << false << o(soak::Outcome::TruthfulFailure);
        QTest::newRow("a key the modem holds named")
            << other << false << QStringList{"ADMTEL3", "SETID"} << false << o(soak::Outcome::FalseMismatch);
        QTest::newRow("failure without a key, modem holds all")
            << set() << false << QStringList() << false << o(soak::Outcome::TruthfulFailure);
        QTest::newRow("hang") << set() << true << QStringList() << true << o(soak::Outcome::Hang);
    }
    void outcomeComesFromWhatTheModemStores()
    {
        QFETCH(soak::Set, stored);
        QFETCH(bool, success);
        QFETCH(QStringList, named);
        QFETCH(bool, hung);
        QFETCH(int, outcome);
        QCOMPARE(int(soak::classify(set(), stored, {hung, success, named})), outcome);
    }

    void keysNamedByTheMismatchMessageOnly()
    {
        QCOMPARE(soak::mismatchedKeys("Параметр записан некорректно: SETURL1"), QStringList{"SETURL1"});
        QCOMPARE(soak::mismatchedKeys("Параметр записан некорректно: SETCSD, ADMTEL2"),
                 (QStringList{"ADMTEL2", "SETCSD"}));
        QCOMPARE(soak::mismatchedKeys("ttyUSB0: Параметр записан некорректно: SETID"), QStringList{"SETID"});
        QCOMPARE(soak::mismatchedKeys("Набор в модеме отличается от прочитанного: SETSIM2"), QStringList());
    }

    // A read that put another value into a key the engineer left alone, and whether the write stored it.
    void damagedReadAndItsWrite()
    {
        const soak::Set modem = set();
        const soak::Set form = with(with(set(), "SETSIM2", "1234,mts,mts,internet.mtt.ru"), "ADMTEL1", "+7");
        QCOMPARE(soak::damagedKeys(form, modem, "ADMTEL1"), QStringList{"SETSIM2"});
        QCOMPARE(soak::damagedKeys(modem, modem, "ADMTEL1"), QStringList());
        QVERIFY(soak::damageStored({"SETSIM2"}, form, form));
        QVERIFY(!soak::damageStored({"SETSIM2"}, form, modem));
    }

    // The soak's premise: what it gives the modem is what the form holds after reading it, so that a
    // clean cycle writes the set itself.
    void soakSetsAreHeldByTheFormAsTheyAre()
    {
        std::mt19937 rng(11);
        QSet<QString> seen;
        for (int i = 0; i < 100; ++i) {
            const sim::ParamList s =
                i % 2 ? soaksets::randomSet(rng) : soaksets::withChanges(soaksets::randomSet(rng), 5, rng);
            const formrecords::Outcome out = formrecords::apply(formrecords::startup(), soaksets::toMap(s));
            QVERIFY2(out.messages.isEmpty(), qPrintable(out.messages.join("; ")));
            QStringList texts;
            for (const auto &kv : s)
                texts.append(kv.first + "=" + kv.second + ";");
            QCOMPARE(out.form.recordTexts, texts);
            seen.insert(s.at(5).second + s.at(3).second + s.at(15).second);
        }
        QVERIFY(seen.size() > 90); // the sets do vary
    }
};

VELON_TEST_MAIN(TestSoak)
#include "tst_soak.moc"
