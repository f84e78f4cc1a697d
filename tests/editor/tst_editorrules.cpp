#include "editor/separatorvalidator.h"
#include "params/recordbuilder.h"
#include "testmain.h"

// The widget-free rules behind the editing handlers.
class TestEditorRules : public QObject
{
    Q_OBJECT
private slots:
    void simModeCode_data();
    void simModeCode();
    void prioritySimCode_data();
    void prioritySimCode();
    void switchCodes();
    void intervalLift_data();
    void intervalLift();
    void canRecord();
    void withoutSeparators_data();
    void withoutSeparators();
    void validatorKeepsEverythingElse();
};

void TestEditorRules::simModeCode_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("code");
    QTest::newRow("none") << QString::fromUtf8("Не установлена") << "0";
    QTest::newRow("auto") << QString::fromUtf8("Авто") << "1";
    QTest::newRow("manual") << QString::fromUtf8("Ручной") << "2";
    QTest::newRow("manual with the radio button's trailing space") << QString::fromUtf8("Ручной ") << "";
    QTest::newRow("other case") << QString::fromUtf8("авто") << "";
    QTest::newRow("code instead of name") << "1"
                                          << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestEditorRules::simModeCode()
{
    QFETCH(QString, name);
    QFETCH(QString, code);
    QCOMPARE(recordbuilder::simModeCode(name), code);
}

void TestEditorRules::prioritySimCode_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("code");
    QTest::newRow("SIM1") << "SIM1"
                          << "0";
    QTest::newRow("SIM2") << "SIM2"
                          << "1";
    QTest::newRow("lower case") << "sim2"
                                << "";
    QTest::newRow("SIM3") << "SIM3"
                          << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestEditorRules::prioritySimCode()
{
    QFETCH(QString, name);
    QFETCH(QString, code);
    QCOMPARE(recordbuilder::prioritySimCode(name), code);
}

void TestEditorRules::switchCodes()
{
    QCOMPARE(recordbuilder::activeCode(true), QString("1"));
    QCOMPARE(recordbuilder::activeCode(false), QString("0"));
    // Client is mode "0", server "1"; a click that reports "not checked" means the other mode.
    QCOMPARE(recordbuilder::serverModeAfterClientClick(true), QString("0"));
    QCOMPARE(recordbuilder::serverModeAfterClientClick(false), QString("1"));
    QCOMPARE(recordbuilder::serverModeAfterServerClick(true), QString("1"));
    QCOMPARE(recordbuilder::serverModeAfterServerClick(false), QString("0"));
}

void TestEditorRules::intervalLift_data()
{
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<bool>("lifted");
    QTest::addColumn<QString>("field"); // in the record
    QTest::newRow("0 means no reports") << "0" << false << "0";
    QTest::newRow("1") << "1" << true << "10";
    QTest::newRow("5") << "5" << true << "10";
    QTest::newRow("9") << "9" << true << "10";
    QTest::newRow("10") << "10" << false << "10";
    QTest::newRow("15") << "15" << false << "15";
    QTest::newRow("1440") << "1440" << false << "1440";
    QTest::newRow("not a number counts as 0") << "x" << false << "0";
}

void TestEditorRules::intervalLift()
{
    QFETCH(QString, minutes);
    QFETCH(bool, lifted);
    QFETCH(QString, field);
    QCOMPARE(recordbuilder::intervalNeedsLift(minutes.toInt()), lifted);
    QCOMPARE(recordbuilder::intervalField(minutes.toInt()), field);
    QCOMPARE(recordbuilder::shortestInterval, 10);
}

void TestEditorRules::canRecord()
{
    QCOMPARE(recordbuilder::canRecord("115200", "8", "E", "2"), QString("SETCAN=115200,8,E,2,0;"));
    QCOMPARE(recordbuilder::canRecord("", "", "", ""), QString("SETCAN=,,,,0;"));
}

void TestEditorRules::withoutSeparators_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("expectedCursor");
    QTest::newRow("nothing to drop") << "internet.mts.ru" << 15 << "internet.mts.ru" << 15;
    QTest::newRow("comma typed at the end") << "apn," << 4 << "apn" << 3;
    QTest::newRow("semicolon typed in the middle") << "ap;n" << 3 << "apn" << 2;
    QTest::newRow("separators behind the cursor") << "a,b;c" << 1 << "abc" << 1;
    QTest::newRow("pasted run of separators") << ",;,;" << 4 << "" << 0;
    QTest::newRow("mixed paste, cursor in the middle") << "x1,2;3y" << 6 << "x123y" << 4;
    QTest::newRow("other punctuation stays") << "a=b.c-d_e f:g/h" << 0 << "a=b.c-d_e f:g/h" << 0;
    QTest::newRow("Cyrillic text stays")
        << QString::fromUtf8("сеть,1") << 6 << QString::fromUtf8("сеть1") << 5;
    QTest::newRow("what Windows-1251 has stays")
        << QString::fromUtf8("ёЁ№€«»–") << 7 << QString::fromUtf8("ёЁ№€«»–") << 7;
    QTest::newRow("accents it lacks go") << QString::fromUtf8("café,ü") << 6 << "caf" << 3;
    QTest::newRow("CJK and emoji go, both halves") << QString::fromUtf8("a中😀b") << 5 << "ab" << 2;
    QTest::newRow("line breaks, tab kept, NUL gone")
        << QString("a\r\nb\tc") + QChar(0) + "d" << 8 << "ab\tcd" << 5;
}

void TestEditorRules::withoutSeparators()
{
    QFETCH(QString, text);
    QFETCH(int, cursor);
    QFETCH(QString, expected);
    QFETCH(int, expectedCursor);
    QCOMPARE(fieldtext::without(text, fieldtext::separators()), expected);

    SeparatorValidator validator(fieldtext::separators());
    QString input = text;
    int pos = cursor;
    QCOMPARE(validator.validate(input, pos), QValidator::Acceptable);
    QCOMPARE(input, expected);
    QCOMPARE(pos, expectedCursor);
}

void TestEditorRules::validatorKeepsEverythingElse()
{
    // Only the refused characters go: a validator for ";" alone keeps the commas.
    SeparatorValidator semicolonOnly(QStringLiteral(";"));
    QString input = "a,b;c";
    int pos = 5;
    semicolonOnly.validate(input, pos);
    QCOMPARE(input, QString("a,bc"));
    QCOMPARE(pos, 4);
}

VELON_TEST_MAIN(TestEditorRules)
#include "tst_editorrules.moc"
