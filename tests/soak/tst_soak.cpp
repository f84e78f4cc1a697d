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
    // What the program said, read as the soak reads it, against what the modem stores. velon-cli: its
    // status (-1 hung, -2 crashed) and standard error; the window: its status line and message boxes.
    void outcomeComesFromWhatTheModemStores_data()
    {
        QTest::addColumn<soak::Set>("stored");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("statusLine"); // null: velon-cli
        QTest::addColumn<QStringList>("said");
        QTest::addColumn<int>("outcome");
        const soak::Set other = with(set(), "ADMTEL3", "+79990001122");
        const QString wrong = "Параметр записан некорректно: ";
        const auto o = [](soak::Outcome x) { return int(x); };
        QTest::newRow("cli held") << set() << 0 << QString() << QStringList() << o(soak::Outcome::Held);
        QTest::newRow("cli status 0, one key not stored")
            << other << 0 << QString() << QStringList() << o(soak::Outcome::FalseSuccess);
        // A key the modem lacks is not held, even where an empty value was written.
        QTest::newRow("cli status 0, an emptied key missing")
            << without(set(), "ADMTEL3") << 0 << QString() << QStringList() << o(soak::Outcome::FalseSuccess);
        QTest::newRow("cli names the differing key")
            << other << 1 << QString() << QStringList{wrong + "ADMTEL3"} << o(soak::Outcome::TruthfulFailure);
        QTest::newRow("cli names a key the modem holds")
            << other << 1 << QString() << QStringList{wrong + "ADMTEL3", wrong + "SETID"}
            << o(soak::Outcome::FalseMismatch);
        QTest::newRow("cli lost link, modem holds all")
            << set() << 2 << QString()
            << QStringList{"Параметры записаны, но не проверены: связь с модемом потеряна"}
            << o(soak::Outcome::TruthfulFailure);
        QTest::newRow("cli hang") << set() << -1 << QString() << QStringList() << o(soak::Outcome::Hang);
        QTest::newRow("cli crash") << set() << -2 << QString() << QStringList() << o(soak::Outcome::Crash);
        QTest::newRow("window held, link lost afterwards")
            << set() << 0 << "Записаны в модем и проверены в 10:00:00; связь с модемом потеряна в 10:00:01"
            << QStringList() << o(soak::Outcome::Held);
        QTest::newRow("window verified, modem differs")
            << other << 0 << "Записаны в модем и проверены в 10:00:00" << QStringList()
            << o(soak::Outcome::FalseSuccess);
        QTest::newRow("window names the differing key")
            << other << 0 << "Записаны, 1 параметр не совпал в 10:00:00" << QStringList{wrong + "ADMTEL3"}
            << o(soak::Outcome::TruthfulFailure);
        QTest::newRow("window names a key the modem holds")
            << other << 0 << "Записаны, 2 параметра не совпали в 10:00:00"
            << QStringList{wrong + "ADMTEL3", wrong + "SETID"} << o(soak::Outcome::FalseMismatch);
        QTest::newRow("window asked, write cancelled")
            << other << 0 << ""
            << QStringList{"Набор в модеме отличается от прочитанного в параметрах, которые вы не меняли: "
                           "SETID"}
            << o(soak::Outcome::TruthfulFailure);
        QTest::newRow("window unverified")
            << set() << 0
            << "Прочитаны из модема (/dev/pts/1) в 10:00:00, изменены; записаны, но не проверены: связь с "
               "модемом потеряна в 10:00:01"
            << QStringList() << o(soak::Outcome::TruthfulFailure);
    }
    void outcomeComesFromWhatTheModemStores()
    {
        QFETCH(soak::Set, stored);
        QFETCH(int, status);
        QFETCH(QString, statusLine);
        QFETCH(QStringList, said);
        QFETCH(int, outcome);
        const soak::Claim claim = statusLine.isNull()
                                      ? soak::cliClaim(status == -1, status == -2, status, said.join('\n'))
                                      : soak::windowClaim(false, statusLine, said);
        QCOMPARE(int(soak::classify(set(), stored, claim)), outcome);
    }

    void whatAReadAndAQuestionSay()
    {
        QVERIFY(soak::readWhole("Прочитаны из модема (/dev/pts/3) в 10:00:00"));
        QVERIFY(!soak::readWhole("Прочитаны из модема (/dev/pts/3) не полностью в 10:00:00"));
        QVERIFY(!soak::readWhole("Прочитаны из модема (/dev/pts/3) в 10:00:00; модем не ответил в 10:00:02"));
        QVERIFY(soak::readWhole(
            "Прочитаны из модема (/dev/pts/3) в 10:00:00; прежние изменения сохранены в истории в 10:00:00"));
        QVERIFY(!soak::readWhole(""));
        QVERIFY(
            soak::askedAboutUnedited({"Параметр записан некорректно: SETID",
                                      "Набор в модеме отличается от прочитанного в параметрах, которые вы "
                                      "не меняли: SETSIM2, ADMTEL1"}));
        QVERIFY(!soak::askedAboutUnedited({"Параметр записан некорректно: SETID"}));
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
