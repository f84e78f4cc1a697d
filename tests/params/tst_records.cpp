#include "params/linecodec.h"
#include "params/records.h"
#include "testmain.h"

// The record grammar and the parser, on what a real line and real files deliver.
class TestRecords : public QObject
{
    Q_OBJECT

private slots:
    void parsesSets_data();
    void parsesSets();
    void chunksAndLinesGiveTheSameMap();
    void valueWithEqualsKeepsIt();
    void fieldsKeepEmptyParts_data();
    void fieldsKeepEmptyParts();
    void cyrillicSurvivesTheLineCodec();
    void recordValueStripsOnlyItsOwnKeyAndTerminator();
    void keyListsHoldEveryKeyOnce();
};

using Map = QMap<QString, QString>;
Q_DECLARE_METATYPE(Map)

void TestRecords::parsesSets_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<Map>("map");

    const Map two{{"SETCOM", "115200,8,N,1,0"}, {"SETRS", "9600,8,E,1,1"}};
    QTest::newRow("two records") << QByteArray("SETCOM=115200,8,N,1,0;SETRS=9600,8,E,1,1;")
                                 << QStringList{"SETCOM=115200,8,N,1,0", "SETRS=9600,8,E,1,1"} << two;
    QTest::newRow("CR LF after each and inside a value")
        << QByteArray("SETCOM=115200,8\r\n,N,1,0;\r\nSETRS=9600,8,E,1,1;\r\n")
        << QStringList{"SETCOM=115200,8,N,1,0", "SETRS=9600,8,E,1,1"} << two;
    QTest::newRow("repeated key: the later wins")
        << QByteArray("SETLOG=1;SETLOG=0;") << QStringList{"SETLOG=1", "SETLOG=0"} << Map{{"SETLOG", "0"}};
    QTest::newRow("unterminated tail is dropped")
        << QByteArray("SETLOG=1;SETCSD=7,0") << QStringList{"SETLOG=1"} << Map{{"SETLOG", "1"}};
    QTest::newRow("empty second field")
        << QByteArray("SETID=0,;") << QStringList{"SETID=0,"} << Map{{"SETID", "0,"}};
    QTest::newRow("leading space is part of the key")
        << QByteArray(" SETLOG=1;") << QStringList{" SETLOG=1"} << Map{{" SETLOG", "1"}};
    QTest::newRow("bytes after NUL are ignored")
        << QByteArray("SETLOG=1;\0SETCSD=7,0,1;", 24) << QStringList{"SETLOG=1"} << Map{{"SETLOG", "1"}};
    QTest::newRow("empty record and bare word add no key")
        << QByteArray("SETLOG=1;;OK;") << QStringList{"SETLOG=1", "", "OK"} << Map{{"SETLOG", "1"}};
    QTest::newRow("spaces and tabs stay")
        << QByteArray("SETURL1= a\tb,80,10;") << QStringList{"SETURL1= a\tb,80,10"}
        << Map{{"SETURL1", " a\tb,80,10"}};
    QTest::newRow("null array") << QByteArray() << QStringList{} << Map{};
}

void TestRecords::parsesSets()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, records);
    QFETCH(Map, map);
    const QStringList got = records::splitRecords(bytes);
    QCOMPARE(got, records);
    QCOMPARE(records::toParamsMap(got), map);
}

void TestRecords::chunksAndLinesGiveTheSameMap()
{
    // The same set cut at every byte and rejoined, and spread over lines, parses alike.
    const QByteArray set = "SETCOM=9600,8,N,1,0;SETSIM1=1234,user,pass,internet;SERVER=0,502,30,24;";
    const Map whole = records::toParamsMap(records::splitRecords(set));
    QCOMPARE(whole.size(), 3);
    for (int cut = 0; cut <= set.size(); ++cut) {
        const QByteArray withBreak = set.left(cut) + "\r\n" + set.mid(cut);
        QCOMPARE(records::toParamsMap(records::splitRecords(withBreak)), whole);
    }
}

void TestRecords::valueWithEqualsKeepsIt()
{
    const Map map = records::toParamsMap(records::splitRecords("PASSET=a=b;SETURL1=srv/?SETURL1=x,80,10;"));
    QCOMPARE(map.value("PASSET"), QString("a=b"));
    QCOMPARE(map.value("SETURL1"), QString("srv/?SETURL1=x,80,10"));
    QCOMPARE(map.size(), 2);
}

void TestRecords::fieldsKeepEmptyParts_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("switch and empty text") << "0," << QStringList{"0", ""};
    QTest::newRow("two commas") << ",," << QStringList{"", "", ""};
    QTest::newRow("no comma") << "KVR38" << QStringList{"KVR38"};
    QTest::newRow("empty value") << "" << QStringList{""};
    QTest::newRow("case kept") << "a,B" << QStringList{"a", "B"};
}

void TestRecords::fieldsKeepEmptyParts()
{
    QFETCH(QString, value);
    QFETCH(QStringList, fields);
    QCOMPARE(records::splitFields(value), fields);
}

void TestRecords::cyrillicSurvivesTheLineCodec()
{
    const QString user = QString::fromUtf8("Пользователь");
    const QByteArray bytes = linecodec::encode("SETSIM1=1234," + user + ",p,apn;");
    // One byte per Cyrillic letter on the line, whatever the workstation's locale.
    QCOMPARE(bytes.size(), QString("SETSIM1=1234,,p,apn;").size() + user.size());
    QCOMPARE(records::toParamsMap(records::splitRecords(bytes)).value("SETSIM1"), "1234," + user + ",p,apn");
}

void TestRecords::recordValueStripsOnlyItsOwnKeyAndTerminator()
{
    QCOMPARE(records::recordValue("SETURL1", "SETURL1=host/SETURL1=x,80,10;"),
             QString("host/SETURL1=x,80,10"));
    QCOMPARE(records::recordValue("SETCOM", "SETCOM=9600,8,N,1,0;"), QString("9600,8,N,1,0"));
    QCOMPARE(records::recordValue("CSDTEL1", ""), QString());
}

void TestRecords::keyListsHoldEveryKeyOnce()
{
    QStringList keys = records::paramsKeyList();
    QCOMPARE(keys.size(), 26);
    QCOMPARE(keys.removeDuplicates(), 0);
    QCOMPARE(keys, (QStringList{"SETCOM",  "SETRS",   "SETCAN",  "SETSIM1", "SETSIM2", "ADMTEL1", "ADMTEL2",
                                "ADMTEL3", "ADMTEL4", "ADMTEL5", "CSDTEL1", "CSDTEL2", "CSDTEL3", "CSDTEL4",
                                "CSDTEL5", "SETURL1", "SETURL2", "SETURL3", "SETURL4", "SETURL5", "SETCONF",
                                "SETID",   "SETLOG",  "SETCSD",  "PASSET",  "SERVER"}));
    // A write sends SETCONF first and the CSD numbers before the administration numbers.
    QCOMPARE(records::sendingOrder(),
             (QStringList{"SETCONF", "SETCOM",  "SETRS",   "SETCAN",  "SETSIM1", "SETSIM2", "CSDTEL1",
                          "CSDTEL2", "CSDTEL3", "CSDTEL4", "CSDTEL5", "ADMTEL1", "ADMTEL2", "ADMTEL3",
                          "ADMTEL4", "ADMTEL5", "SETURL1", "SETURL2", "SETURL3", "SETURL4", "SETURL5",
                          "SETID",   "SETLOG",  "SETCSD",  "PASSET",  "SERVER"}));
    QCOMPARE(records::parityLetter("Even"), QString("E"));
    QCOMPARE(records::parityLetter("N"), QString());
    QCOMPARE(records::parityName("O"), QString("Odd"));
    QCOMPARE(records::parityName("X"), QString());
}

VELON_TEST_MAIN(TestRecords)
#include "tst_records.moc"
