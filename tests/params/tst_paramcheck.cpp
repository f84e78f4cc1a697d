#include "params/formrecords.h"
#include "params/loadback.h"
#include "params/paramcheck.h"
#include "params/records.h"
#include "testmain.h"

using paramcheck::Step;
using Map = QMap<QString, QString>;

// A complete, valid set as a modem sends it.
static Map goodSet()
{
    return records::toParamsMap(records::splitRecords(
        "SETCOM=9600,8,N,1,0;SETRS=19200,8,E,2,1;SETCAN=115200,7,O,1,0;SETSIM1=1234,gdata,gpass,internet;"
        "SETSIM2=0000,,,;ADMTEL1=+79001234567;ADMTEL2=;ADMTEL3=;ADMTEL4=;ADMTEL5=;CSDTEL1=89001112233;"
        "CSDTEL2=;CSDTEL3=;CSDTEL4=;CSDTEL5=;SETURL1=example.org,8080,10;SETURL2=,1,0;SETURL3=,1,0;"
        "SETURL4=,1,0;SETURL5=10.0.0.1,502,1440;SETCONF=1,2,1,1,0,1;SETID=1,ABC;SETLOG=1;SETCSD=71,0,1;"
        "PASSET=KVR38;SERVER=1,502,30,24;"));
}

// "Kind target=text" (or "=number" for spin boxes) for the steps that change something.
static QStringList effects(const QVector<Step> &steps)
{
    QStringList out;
    for (const Step &s : steps) {
        switch (s.kind) {
        case Step::SetCombo:
        case Step::SetText:
            out << s.target + "=" + s.text;
            break;
        case Step::SetSpin:
            out << s.target + "=" + QString::number(s.number);
            break;
        case Step::SetFlag:
            out << "flag " + s.target + "=" + s.text;
            break;
        case Step::SetServerMode:
            out << "server mode=" + s.text;
            break;
        case Step::Emit:
            out << "emit " + s.target + "=" + s.text;
            break;
        default:
            break;
        }
    }
    return out;
}

class TestParamCheck : public QObject
{
    Q_OBJECT

private slots:
    void completeSetFillsEverythingSilently();
    void stopsAndWarnings_data();
    void stopsAndWarnings();
    void everyMissingKeyStopsAtThatKey();
    void numbersThatAreNoNumbersGiveZero();
    void formRecords_data();
    void formRecords();
};

void TestParamCheck::completeSetFillsEverythingSilently()
{
    const QVector<Step> steps = paramcheck::validate(goodSet());
    QCOMPARE(paramcheck::messages(steps), QStringList());
    const QStringList e = effects(steps);
    // 4 + 5 + 4 serial combos, 8 SIM texts, 10 numbers, 15 URL widgets, 3 SETCONF combos + 3 flags,
    // 4 emits, server mode and 3 spins.
    QCOMPARE(e.size(), 14 + 8 + 10 + 15 + 6 + 4 + 4);
    for (const char *expected :
         {"comboBox_rs232BaudRate=9600", "comboBox_rs485Parity=Even", "comboBox_canParity=Odd",
          "comboBox_flowControlRs485=1", "lineEdit_pointAPNGPRSSIM1=internet",
          "lineEdit_controlNumber1=+79001234567", "lineEdit_csdNumber1=89001112233",
          "spinBox_intervalUrl5=1440", "comboBox_sim2Mode=Ручной", "comboBox_prioritySim=SIM2",
          "flag comActive=1", "flag rsActive=0", "emit SETID=1,ABC", "emit SETCSD=71,0,1", "server mode=1",
          "spinBox_rebootInterval=24"})
        QVERIFY2(e.contains(QString::fromUtf8(expected)), expected);
}

void TestParamCheck::stopsAndWarnings_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("present");  // effects that happened before or despite the message
    QTest::addColumn<QString>("absentPrefix"); // no effect on widgets with this prefix happened

    QTest::newRow("parity letter unknown: baud and data bits already set")
        << "SETCOM"
        << "115200,8,X,1,0" << QStringList{"Неверное значение параметра SETCOM: Parity"}
        << QStringList{"comboBox_rs232BaudRate=115200", "comboBox_rs232DataBits=8"} << "comboBox_rs485";
    QTest::newRow("parity name instead of letter")
        << "SETCOM"
        << "9600,8,None,1,0" << QStringList{"Неверное значение параметра SETCOM: Parity"} << QStringList{}
        << "comboBox_rs232Parity";
    QTest::newRow("four fields") << "SETCOM"
                                 << "115200,8,N,1" << QStringList{"Неверная структура параметра SETCOM"}
                                 << QStringList{} << "comboBox_rs232";
    QTest::newRow("baud rate not listed")
        << "SETRS"
        << "14400,8,N,1,0" << QStringList{"Неверное значение параметра SETRS: BaudRate"}
        << QStringList{"comboBox_rs232BaudRate=9600"} << "comboBox_rs485";
    QTest::newRow("flow control") << "SETRS"
                                  << "9600,8,N,1,2"
                                  << QStringList{"Неверное значение параметра SETRS: flowControl"}
                                  << QStringList{"comboBox_rs485StopBits=1"} << "comboBox_can";
    QTest::newRow("data control") << "SETCOM"
                                  << "9600,8,N,1,x"
                                  << QStringList{"Неверное значение параметра SETCOM: dataControl"}
                                  << QStringList{"comboBox_rs232StopBits=1"} << "comboBox_rs485";
    QTest::newRow("CAN stop bits") << "SETCAN"
                                   << "9600,8,N,3,0"
                                   << QStringList{"Неверное значение параметра SETCAN: StopBits"}
                                   << QStringList{} << "lineEdit_pin";
    QTest::newRow("CAN reserved field ignored")
        << "SETCAN"
        << "9600,8,N,1,whatever" << QStringList{} << QStringList{"comboBox_canStopBits=1"} << "nothing";
    QTest::newRow("SIM with a fifth field")
        << "SETSIM1"
        << "1234,a,b,c,d" << QStringList{"Неверная структура параметра SETSIM1"} << QStringList{}
        << "lineEdit_pinSIM1";
    QTest::newRow("SIM PIN longer than its field warns once")
        << "SETSIM2"
        << "12345678,user,pass,apn" << QStringList{"Неверная длина параметра SETSIM2"}
        << QStringList{"lineEdit_pinSIM2=12345678", "lineEdit_pointAPNGPRSSIM2=apn", "server mode=1"}
        << "nothing";
    QTest::newRow("SIM APN of 33 characters")
        << "SETSIM1"
        << "1234,u,p," + QString(33, 'a') << QStringList{"Неверная длина параметра SETSIM1"}
        << QStringList{"emit PASSET=KVR38"} << "nothing";
    QTest::newRow("admin number of 15 characters")
        << "ADMTEL3"
        << "123456789012345" << QStringList{"Неверная длина параметра ADMTEL3"}
        << QStringList{"lineEdit_controlNumber3=123456789012345", "lineEdit_controlNumber4="} << "nothing";
    QTest::newRow("CSD number of 12 characters is fine")
        << "CSDTEL5"
        << "123456789012" << QStringList{} << QStringList{"lineEdit_csdNumber5=123456789012"} << "nothing";
    QTest::newRow("URL with two fields") << "SETURL2"
                                         << "host,80" << QStringList{"Неверная структура параметра SETURL2"}
                                         << QStringList{"lineEdit_url1=example.org"} << "lineEdit_url2";
    QTest::newRow("URL port that is no number")
        << "SETURL3"
        << "host,abc,15" << QStringList{} << QStringList{"spinBox_portUrl3=0", "spinBox_intervalUrl3=15"}
        << "nothing";
    QTest::newRow("unknown sim1 mode warns and keeps the combo")
        << "SETCONF"
        << "5,1,0,1,0,1" << QStringList{"Неверное значение sim1Mode 5"}
        << QStringList{"comboBox_sim2Mode=Авто", "comboBox_prioritySim=SIM1", "flag canActive=1"}
        << "comboBox_sim1Mode";
    QTest::newRow("unknown priority")
        << "SETCONF"
        << "0,0,7,0,0,0" << QStringList{"Неверное значение prioritySim 7"}
        << QStringList{"comboBox_sim1Mode=Не установлена"} << "comboBox_prioritySim";
    QTest::newRow("interface flag 2 is ignored silently")
        << "SETCONF"
        << "0,0,0,2,1,0" << QStringList{} << QStringList{"flag rsActive=1", "flag canActive=0"}
        << "flag comActive";
    QTest::newRow("SETCONF with five fields")
        << "SETCONF"
        << "0,0,0,0,0" << QStringList{"Неверная структура параметра SETCONF"} << QStringList{}
        << "comboBox_sim";
    QTest::newRow("SETID one field") << "SETID"
                                     << "1" << QStringList{"Неверный формат параметра SETID"}
                                     << QStringList{"flag canActive=1"} << "emit";
    QTest::newRow("SETID switch 2") << "SETID"
                                    << "2,x" << QStringList{"Неверный формат параметра SETID"}
                                    << QStringList{} << "emit";
    QTest::newRow("SETID of 100 characters") << "SETID"
                                             << "1," + QString(100, 'i') << QStringList{}
                                             << QStringList{"emit SETID=1," + QString(100, 'i')} << "nothing";
    QTest::newRow("SETID longer than its field warns and goes on")
        << "SETID"
        << "0," + QString(101, 'i') << QStringList{"Неверная длина параметра SETID"}
        << QStringList{"emit SETID=0," + QString(101, 'i'), "emit PASSET=KVR38"} << "nothing";
    QTest::newRow("SETID with empty text")
        << "SETID"
        << "1," << QStringList{} << QStringList{"emit SETID=1,"} << "nothing";
    QTest::newRow("SETLOG 2") << "SETLOG"
                              << "2" << QStringList{"Неверное значение параметра SETLOG"}
                              << QStringList{"emit SETID=1,ABC"} << "emit SETLOG";
    QTest::newRow("SETCSD not listed") << "SETCSD"
                                       << "7,0,2" << QStringList{"Неверное значение параметра SETCSD"}
                                       << QStringList{"emit SETLOG=1"} << "emit SETCSD";
    QTest::newRow("SERVER five fields accepted")
        << "SERVER"
        << "0,502,30,24,9" << QStringList{} << QStringList{"server mode=0", "spinBox_rebootInterval=24"}
        << "nothing";
    // One field too many stops the keys that take exactly so many (SETSIM1: above).
    const QVector<QPair<QString, QString>> oneTooMany{
        {"SETCOM", "comboBox_rs232"},    {"SETRS", "comboBox_rs485"},  {"SETCAN", "comboBox_can"},
        {"SETSIM2", "lineEdit_pinSIM2"}, {"SETURL1", "lineEdit_url1"}, {"SETURL2", "lineEdit_url2"},
        {"SETURL3", "lineEdit_url3"},    {"SETURL4", "lineEdit_url4"}, {"SETURL5", "lineEdit_url5"},
        {"SETCONF", "comboBox_sim"}};
    for (const auto &k : oneTooMany) {
        QTest::newRow(qPrintable(k.first + " with one field too many"))
            << k.first << goodSet().value(k.first) + ",0"
            << QStringList{"Неверная структура параметра " + k.first} << QStringList{} << k.second;
    }
    QTest::newRow("SETID with one field too many")
        << "SETID"
        << "1,ABC,0" << QStringList{"Неверный формат параметра SETID"} << QStringList{} << "emit";
    QTest::newRow("SERVER three fields") << "SERVER"
                                         << "0,502,30" << QStringList{"Неверная структура параметра SERVER"}
                                         << QStringList{"emit PASSET=KVR38"} << "server mode";
    QTest::newRow("SERVER mode 2") << "SERVER"
                                   << "2,502,30,24" << QStringList{"Неверное значение: режим клиент/сервер"}
                                   << QStringList{} << "server mode";
    QTest::newRow("SERVER port 0 after the mode was set")
        << "SERVER"
        << "0,0,30,24" << QStringList{"Неверное значение: порт"} << QStringList{"server mode=0"}
        << "spinBox_portModeServer";
    QTest::newRow("SERVER port 65536") << "SERVER"
                                       << "1,65536,30,24" << QStringList{"Неверное значение: порт"}
                                       << QStringList{"server mode=1"} << "spinBox_portModeServer";
    QTest::newRow("SERVER time-out 61") << "SERVER"
                                        << "1,502,61,24" << QStringList{"Неверное значение: таймаут"}
                                        << QStringList{"spinBox_portModeServer=502"} << "spinBox_timeout";
    QTest::newRow("SERVER reboot 169")
        << "SERVER"
        << "1,502,30,169" << QStringList{"Неверное значение: интервал принудительной перезагрузки"}
        << QStringList{"spinBox_timeout=30"} << "spinBox_rebootInterval";
    QTest::newRow("SERVER reboot that is no number")
        << "SERVER"
        << "1,502,30,x" << QStringList{"Неверное значение: интервал принудительной перезагрузки"}
        << QStringList{} << "spinBox_rebootInterval";
    QTest::newRow("SERVER bounds accepted")
        << "SERVER"
        << "1,65535,60,168" << QStringList{}
        << QStringList{"spinBox_portModeServer=65535", "spinBox_timeout=60", "spinBox_rebootInterval=168"}
        << "nothing";
}

void TestParamCheck::stopsAndWarnings()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, present);
    QFETCH(QString, absentPrefix);

    Map set = goodSet();
    set.insert(key, value);
    const QVector<Step> steps = paramcheck::validate(set);
    QCOMPARE(paramcheck::messages(steps), messages);
    const QStringList e = effects(steps);
    for (const QString &p : present)
        QVERIFY2(e.contains(p), qPrintable(p + " missing from " + e.join(", ")));
    for (const QString &x : e)
        QVERIFY2(!x.startsWith(absentPrefix), qPrintable(x));
    // A hard failure ends the plan with its message and nothing after it.
    const bool stopped = !steps.isEmpty() && steps.last().kind == Step::Stop;
    QCOMPARE(stopped, !messages.isEmpty() && !messages.last().startsWith("Неверная длина") &&
                          !messages.last().contains("Mode ") && !messages.last().contains("prioritySim"));
}

void TestParamCheck::everyMissingKeyStopsAtThatKey()
{
    const QStringList keys = records::paramsKeyList();
    for (int i = 0; i < keys.size(); ++i) {
        Map set = goodSet();
        set.remove(keys.at(i));
        const QVector<Step> steps = paramcheck::validate(set);
        QCOMPARE(paramcheck::messages(steps), QStringList{"Отсутствует параметр " + keys.at(i)});
        // Only the keys before the missing one were handled.
        const QStringList e = effects(steps);
        if (i == 0)
            QCOMPARE(e, QStringList());
        if (keys.at(i) == "SETCONF") {
            QVERIFY(e.contains("spinBox_intervalUrl5=1440"));
            QVERIFY(!e.join(' ').contains("comboBox_sim1Mode"));
        }
    }
    // A key in lower case or with a leading space is not the key.
    Map set = goodSet();
    set.insert("setcom", set.take("SETCOM"));
    QCOMPARE(paramcheck::messages(paramcheck::validate(set)), QStringList{"Отсутствует параметр SETCOM"});
}

void TestParamCheck::numbersThatAreNoNumbersGiveZero()
{
    QCOMPARE(paramcheck::toNumber("502"), 502);
    QCOMPARE(paramcheck::toNumber("abc"), 0);
    QCOMPARE(paramcheck::toNumber(""), 0);
    QCOMPARE(paramcheck::toNumber("12x"), 0);
    QCOMPARE(paramcheck::toNumber("0x10"), 0);
    QCOMPARE(paramcheck::toNumber("-5"), -5);
}

// What a fresh window's form holds for one key after the good set, with one record changed, was validated;
// the refusal is also what a save or write of the changed set would say.
void TestParamCheck::formRecords_data()
{
    QTest::addColumn<QString>("record"); // replaces the good one of its key; a bare key: that key missing
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("held");
    QTest::addColumn<QString>("refusal");
    auto row = [](const char *name, const char *record, const char *key, const char *held,
                  const char *refusal) {
        QTest::newRow(name) << QString::fromUtf8(record) << key << QString::fromUtf8(held)
                            << QString::fromUtf8(refusal);
    };
    const char *password = "Недопустимая длина пароля";
    row("good set", "SETCOM=9600,8,N,1,0;", "SETCOM", "SETCOM=9600,8,N,1,0;", "");
    row("interval 1 to 9 lifted", "SETURL1=example.org,8080,5;", "SETURL1", "SETURL1=example.org,8080,10;",
        "");
    row("interval clamped", "SETURL1=a,8080,2000;", "SETURL1", "SETURL1=a,8080,1440;", "");
    row("port clamped", "SETURL1=a,70000,0;", "SETURL1", "SETURL1=a,65535,0;", "");
    row("port no number", "SETURL1=a,abc,0;", "SETURL1", "SETURL1=a,1,0;", "");
    row("PIN cut", "SETSIM1=12345,u,p,apn;", "SETSIM1", "SETSIM1=1234,u,p,apn;", "");
    row("number cut", "ADMTEL2=123456789012345;", "ADMTEL2", "ADMTEL2=123456789012;", "");
    row("identifier cut", qPrintable("SETID=0," + QString(120, 'x') + ";"), "SETID",
        qPrintable("SETID=0," + QString(100, 'x') + ";"), "");
    row("CAN field 5 always 0", "SETCAN=600,8,E,2,1;", "SETCAN", "SETCAN=600,8,E,2,0;", "");
    row("RS485 flow control kept", "SETRS=300,9,O,1,1;", "SETRS", "SETRS=300,9,O,1,1;", "");
    row("unknown SIM mode keeps the previous", "SETCONF=5,2,1,1,0,1;", "SETCONF", "SETCONF=0,2,1,1,0,1;",
        "Неверное значение sim1Mode 5");
    row("unknown flag ignored", "SETCONF=1,2,1,2,1,1;", "SETCONF", "SETCONF=1,2,1,0,1,1;", "");
    row("password of 3 keeps the previous", "PASSET=abc;", "PASSET", "PASSET=KVR38;", password);
    row("password of 4", "PASSET=abcd;", "PASSET", "PASSET=abcd;", "");
    row("password of 7", "PASSET=abcdefg;", "PASSET", "PASSET=abcdefg;", "");
    row("password of 8", "PASSET=abcdefgh;", "PASSET", "PASSET=KVR38;", password);
    row("empty password", "PASSET=;", "PASSET", "PASSET=KVR38;", password);
    row("missing record", "SETCOM", "SETCOM", "SETCOM=300,7,N,1,0;", "Отсутствует параметр SETCOM");
    row("wrong structure", "SETURL2=a,b;", "SETURL2", "SETURL2=,1,0;",
        "Неверная структура параметра SETURL2");
    row("identifier with a separator", "SETID=1,a,b;", "SETID", "SETID=0,;",
        "Неверный формат параметра SETID");
    row("stop keeps later keys", "SETCOM=115200,8,X,1,0;", "SETRS", "SETRS=300,7,N,1,0;",
        "Неверное значение параметра SETCOM: Parity");
    row("stop takes what came before", "SETCOM=115200,8,X,1,0;", "SETCOM", "SETCOM=115200,8,N,1,0;",
        "Неверное значение параметра SETCOM: Parity");
    row("server mode taken before its port stops", "SERVER=1,0,1,1;", "SERVER", "SERVER=1,1,1,1;",
        "Неверное значение: порт");
}

void TestParamCheck::formRecords()
{
    QFETCH(QString, record);
    QFETCH(QString, key);
    QFETCH(QString, held);
    QFETCH(QString, refusal);
    Map set = goodSet();
    if (record.contains('=')) {
        const records::KeyValue kv = records::splitRecord(record.chopped(1));
        set.insert(kv.key, kv.value);
    } else {
        set.remove(record);
    }
    const formrecords::Outcome outcome = formrecords::apply(formrecords::startup(), set);
    QCOMPARE(outcome.form.recordTexts.value(records::paramsKeyList().indexOf(key)), held);
    QCOMPARE(outcome.refusal, refusal);
    QStringList texts;
    for (const QString &k : records::paramsKeyList())
        texts << (set.contains(k) ? records::buildRecord(k, {set.value(k)}) : QString());
    QCOMPARE(loadback::blockingMessage(texts), refusal);
}

VELON_TEST_MAIN(TestParamCheck)
#include "tst_paramcheck.moc"
