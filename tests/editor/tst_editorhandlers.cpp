#include "editorwindow.h"
#include "params/records.h"
#include "settings/formsettings.h"
#include "startuprecords.h"
#include "testmain.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QRadioButton>
#include <QSpinBox>

// Pastes the clipboard through the line edit's context menu, as the user would.
static void pasteFromContextMenu(QLineEdit *line)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), line->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(line, &event);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    bool pasted = false;
    for (QAction *action : menu->actions()) {
        if (action->text().startsWith(QLineEdit::tr("&Paste"))) {
            action->trigger();
            pasted = true;
        }
    }
    menu->close();
    QVERIFY(pasted);
}

// What the editing handlers make of the widgets' values: the record texts the modem and the files get.
class TestEditorHandlers : public QObject
{
    Q_OBJECT
private slots:
    void init() { form = std::make_unique<EditorWindow>(); }
    void cleanup() { form.reset(); }

    void startupRecords_data();
    void startupRecords();
    void nonLatinDigitsLocale();
    void startupNumbersPassThroughOne();
    void noMessageButTheSearch();
    void numbers_data();
    void numbers();
    void simFields_data();
    void simFields();
    void serialCombos_data();
    void serialCombos();
    void parityOutsideTheListKeepsTheLetter();
    void flowControlRs485ReachesTheRecord();
    void setconfCombos_data();
    void setconfCombos();
    void setconfIgnoresUnknownItems();
    void activeButtonsToggle_data();
    void activeButtonsToggle();
    void activeButtonsFromCode();
    void urlRows_data();
    void urlRows();
    void intervalLift_data();
    void intervalLift();
    void spinBoxTyping_data();
    void spinBoxTyping();
    void clientServer();
    void clientServerFromCode();
    void serverSpinBoxes();
    void settingsWindowRecords_data();
    void settingsWindowRecords();
    void separatorsRefused_data();
    void separatorsRefused();
    void pasteCleanedBeforeTheLimit_data();
    void pasteCleanedBeforeTheLimit();
    void separatorsFromCode();
    void otherCharactersKept();

private:
    std::unique_ptr<EditorWindow> form;
};

void TestEditorHandlers::startupRecords_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("record");
    for (const QString &record : freshWindowRecords())
        QTest::newRow(qPrintable(record.section('=', 0, 0))) << record.section('=', 0, 0) << record;
}

void TestEditorHandlers::startupRecords()
{
    QFETCH(QString, key);
    QFETCH(QString, record);
    QCOMPARE(form->record(key), record);
    QCOMPARE(records::paramsKeyList().size(), 26);
}

void TestEditorHandlers::nonLatinDigitsLocale()
{
    // A spin box shows its number in the locale's digits; the records carry plain decimal all the same.
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    EditorWindow arabic;
    QLocale::setDefault(previous);
    for (const QString &record : freshWindowRecords())
        QCOMPARE(arabic.record(record.section('=', 0, 0)), record);
    auto *port = arabic.widget<QSpinBox>("spinBox_portUrl1");
    port->setValue(8080);
    QVERIFY2(!port->text().contains("8080"), qPrintable(port->text()));
    arabic.widget<QSpinBox>("spinBox_intervalUrl1")->setValue(60);
    QCOMPARE(arabic.record("SETURL1"), QString("SETURL1=,8080,60;"));
    arabic.widget<QSpinBox>("spinBox_portModeServer")->setValue(502);
    arabic.widget<QSpinBox>("spinBox_rebootInterval")->setValue(24);
    QCOMPARE(arabic.record("SERVER"), QString("SERVER=0,502,1,24;"));
}

void TestEditorHandlers::startupNumbersPassThroughOne()
{
    // The number records are built by setting "1" and then clearing, in that order.
    const QStringList &lines = form->startupDebugLines;
    for (const char *key : {"CSDTEL", "ADMTEL"}) {
        for (int i = 1; i <= 5; ++i) {
            const QString one = QString("%1%2=1;").arg(key).arg(i);
            const QString empty = QString("%1%2=;").arg(key).arg(i);
            const int first =
                lines.indexOf(QRegularExpression(".*" + QRegularExpression::escape(one) + ".*"));
            const int last =
                lines.lastIndexOf(QRegularExpression(".*" + QRegularExpression::escape(empty) + ".*"));
            QVERIFY2(first >= 0, qPrintable(one));
            QVERIFY2(last > first, qPrintable(empty));
        }
    }
}

void TestEditorHandlers::noMessageButTheSearch()
{
    // Building the form shows nothing; the one message is the search's.
    for (const QString &text : form->boxes.texts())
        QCOMPARE(text, QString::fromUtf8("COM портов не обнаружено"));
}

void TestEditorHandlers::numbers_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("key");
    for (int i = 1; i <= 5; ++i) {
        QTest::newRow(qPrintable(QString("CSD %1").arg(i)))
            << QString("lineEdit_csdNumber%1").arg(i) << QString("CSDTEL%1").arg(i);
        QTest::newRow(qPrintable(QString("admin %1").arg(i)))
            << QString("lineEdit_controlNumber%1").arg(i) << QString("ADMTEL%1").arg(i);
    }
}

void TestEditorHandlers::numbers()
{
    QFETCH(QString, edit);
    QFETCH(QString, key);
    auto *line = form->widget<QLineEdit>(edit);
    QTest::keyClicks(line, "12345");
    QCOMPARE(form->record(key), key + "=12345;");
    QTest::keyClicks(line, "+7912345678"); // 16 characters typed, 12 kept
    QCOMPARE(form->record(key), key + "=12345+791234;");
    line->selectAll();
    QTest::keyClick(line, Qt::Key_Backspace);
    QCOMPARE(form->record(key), key + "=;");
}

void TestEditorHandlers::simFields_data()
{
    QTest::addColumn<int>("sim");
    QTest::addColumn<QString>("pin");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("apn");
    QTest::addColumn<QString>("record");
    QTest::newRow("all four") << 1 << "0000"
                              << "gdata"
                              << "gdata"
                              << "internet.mts.ru"
                              << "SETSIM1=0000,gdata,gdata,internet.mts.ru;";
    QTest::newRow("only the APN") << 2 << ""
                                  << ""
                                  << ""
                                  << "internet"
                                  << "SETSIM2=,,,internet;";
    QTest::newRow("spaces kept, untrimmed") << 1 << "12 "
                                            << " u "
                                            << "p w"
                                            << " apn"
                                            << "SETSIM1=12 , u ,p w, apn;";
    QTest::newRow("long texts cut by the limits")
        << 2 << "123456" << QString(40, 'u') << QString(33, 'p') << QString(35, 'a')
        << "SETSIM2=1234," + QString(32, 'u') + ',' + QString(32, 'p') + ',' + QString(32, 'a') + ';';
}

void TestEditorHandlers::simFields()
{
    QFETCH(int, sim);
    QFETCH(QString, pin);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, apn);
    QFETCH(QString, record);
    const QString n = QString::number(sim);
    auto *pinEdit = form->widget<QLineEdit>("lineEdit_pinSIM" + n);
    pinEdit->selectAll();
    QTest::keyClick(pinEdit, Qt::Key_Backspace);
    QTest::keyClicks(pinEdit, pin);
    QTest::keyClicks(form->widget("lineEdit_userNameGPRSSIM" + n), user);
    QTest::keyClicks(form->widget("lineEdit_passwordGPRSSIM" + n), password);
    QTest::keyClicks(form->widget("lineEdit_pointAPNGPRSSIM" + n), apn);
    QCOMPARE(form->record("SETSIM" + n), record);
    // The other card is untouched.
    const QString other = sim == 1 ? "2" : "1";
    QCOMPARE(form->record("SETSIM" + other), "SETSIM" + other + "=3759,,,;");
}

void TestEditorHandlers::serialCombos_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("flowBox");
    QTest::addColumn<QStringList>("choice"); // baud, data bits, parity, stop bits, flow control
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("record");
    QTest::newRow("RS485 Even") << "rs485"
                                << "" << QStringList{"9600", "8", "Even", "1", ""} << "SETRS"
                                << "SETRS=9600,8,E,1,0;";
    QTest::newRow("RS485 Odd, 2 stop bits") << "rs485"
                                            << "" << QStringList{"115200", "9", "Odd", "2", ""} << "SETRS"
                                            << "SETRS=115200,9,O,2,0;";
    QTest::newRow("RS232 with flow control")
        << "rs232"
        << "comboBox_dataControlRs232" << QStringList{"57600", "8", "Odd", "2", "1"} << "SETCOM"
        << "SETCOM=57600,8,O,2,1;";
    QTest::newRow("RS232 back to None")
        << "rs232"
        << "comboBox_dataControlRs232" << QStringList{"1200", "7", "None", "1", "0"} << "SETCOM"
        << "SETCOM=1200,7,N,1,0;";
    QTest::newRow("CAN always ends in 0") << "can"
                                          << "" << QStringList{"38400", "9", "Even", "2", ""} << "SETCAN"
                                          << "SETCAN=38400,9,E,2,0;";
}

void TestEditorHandlers::serialCombos()
{
    QFETCH(QString, prefix);
    QFETCH(QString, flowBox);
    QFETCH(QStringList, choice);
    QFETCH(QString, key);
    QFETCH(QString, record);
    // First a different parity, so that the chosen one really is a change.
    QVERIFY(chooseItem(form->widget<QComboBox>("comboBox_" + prefix + "Parity"),
                       choice.at(2) == "Odd" ? "Even" : "Odd"));
    QVERIFY(chooseItem(form->widget<QComboBox>("comboBox_" + prefix + "BaudRate"), choice.at(0)));
    QVERIFY(chooseItem(form->widget<QComboBox>("comboBox_" + prefix + "DataBits"), choice.at(1)));
    QVERIFY(chooseItem(form->widget<QComboBox>("comboBox_" + prefix + "Parity"), choice.at(2)));
    QVERIFY(chooseItem(form->widget<QComboBox>("comboBox_" + prefix + "StopBits"), choice.at(3)));
    if (!flowBox.isEmpty()) {
        QVERIFY(chooseItem(form->widget<QComboBox>(flowBox), choice.at(4) == "1" ? "0" : "1"));
        QVERIFY(chooseItem(form->widget<QComboBox>(flowBox), choice.at(4)));
    }
    QCOMPARE(form->record(key), record);
    // The other two interfaces keep their start-up records.
    for (const QString &otherKey : {QString("SETCOM"), QString("SETRS"), QString("SETCAN")}) {
        if (otherKey != key)
            QCOMPARE(form->record(otherKey), otherKey + "=300,7,N,1,0;");
    }
}

void TestEditorHandlers::parityOutsideTheListKeepsTheLetter()
{
    auto *parity = form->widget<QComboBox>("comboBox_rs232Parity");
    QVERIFY(chooseItem(parity, "Even"));
    QCOMPARE(form->record("SETCOM"), QString("SETCOM=300,7,E,1,0;"));
    parity->addItem("none");
    parity->setCurrentIndex(parity->count() - 1);
    QCOMPARE(form->record("SETCOM"), QString("SETCOM=300,7,E,1,0;"));
    QVERIFY(chooseItem(form->widget<QComboBox>("comboBox_rs232StopBits"), "2"));
    QCOMPARE(form->record("SETCOM"), QString("SETCOM=300,7,E,2,0;"));
}

void TestEditorHandlers::flowControlRs485ReachesTheRecord()
{
    // Hidden from the user, but what a read put there is written back unchanged.
    auto *flow = form->widget<QComboBox>("comboBox_flowControlRs485");
    QVERIFY(!flow->isVisible());
    QVERIFY(chooseItem(form->widget<QComboBox>("comboBox_rs485BaudRate"), "19200"));
    QCOMPARE(form->record("SETRS"), QString("SETRS=19200,7,N,1,0;"));
    flow->setCurrentIndex(1);
    QCOMPARE(form->record("SETRS"), QString("SETRS=19200,7,N,1,1;"));
    QVERIFY(chooseItem(form->widget<QComboBox>("comboBox_rs485DataBits"), "8"));
    QCOMPARE(form->record("SETRS"), QString("SETRS=19200,8,N,1,1;"));
}

void TestEditorHandlers::setconfCombos_data()
{
    QTest::addColumn<QString>("sim1");
    QTest::addColumn<QString>("sim2");
    QTest::addColumn<QString>("priority");
    QTest::addColumn<QString>("record");
    QTest::newRow("SIM2 automatic and preferred")
        << QString::fromUtf8("Не установлена") << QString::fromUtf8("Авто") << "SIM2"
        << "SETCONF=0,1,1,0,0,0;";
    QTest::newRow("SIM1 manual") << QString::fromUtf8("Ручной") << QString::fromUtf8("Не установлена")
                                 << "SIM1"
                                 << "SETCONF=2,0,0,0,0,0;";
    QTest::newRow("both automatic") << QString::fromUtf8("Авто") << QString::fromUtf8("Авто") << "SIM1"
                                    << "SETCONF=1,1,0,0,0,0;";
    QTest::newRow("both manual, SIM2 first")
        << QString::fromUtf8("Ручной") << QString::fromUtf8("Ручной") << "SIM2"
        << "SETCONF=2,2,1,0,0,0;";
}

void TestEditorHandlers::setconfCombos()
{
    QFETCH(QString, sim1);
    QFETCH(QString, sim2);
    QFETCH(QString, priority);
    QFETCH(QString, record);
    // Through a different choice first, so that each box really changes.
    QVERIFY(chooseItem(form->widget<QComboBox>("comboBox_prioritySim"), "SIM2"));
    QVERIFY(chooseItem(form->widget<QComboBox>("comboBox_sim1Mode"), QString::fromUtf8("Авто")));
    QVERIFY(chooseItem(form->widget<QComboBox>("comboBox_sim2Mode"), QString::fromUtf8("Ручной")));
    QVERIFY(chooseItem(form->widget<QComboBox>("comboBox_sim1Mode"), sim1));
    QVERIFY(chooseItem(form->widget<QComboBox>("comboBox_sim2Mode"), sim2));
    QVERIFY(chooseItem(form->widget<QComboBox>("comboBox_prioritySim"), priority));
    QCOMPARE(form->record("SETCONF"), record);
}

void TestEditorHandlers::setconfIgnoresUnknownItems()
{
    auto *mode = form->widget<QComboBox>("comboBox_sim1Mode");
    QVERIFY(chooseItem(mode, QString::fromUtf8("Авто")));
    QCOMPARE(form->record("SETCONF"), QString("SETCONF=1,0,0,0,0,0;"));
    mode->addItem("Auto");
    mode->setCurrentIndex(mode->count() - 1);
    QCOMPARE(form->record("SETCONF"), QString("SETCONF=1,0,0,0,0,0;"));
    auto *priority = form->widget<QComboBox>("comboBox_prioritySim");
    priority->addItem("SIM3");
    priority->setCurrentIndex(priority->count() - 1);
    QCOMPARE(form->record("SETCONF"), QString("SETCONF=1,0,0,0,0,0;"));
}

void TestEditorHandlers::activeButtonsToggle_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("checkedRecord");
    QTest::newRow("RS232") << "radioButton_comActive"
                           << "SETCONF=0,0,0,1,0,0;";
    QTest::newRow("RS485") << "radioButton_rsActive"
                           << "SETCONF=0,0,0,0,1,0;";
    QTest::newRow("CAN") << "radioButton_canActive"
                         << "SETCONF=0,0,0,0,0,1;";
}

void TestEditorHandlers::activeButtonsToggle()
{
    QFETCH(QString, button);
    QFETCH(QString, checkedRecord);
    auto *radio = form->widget<QRadioButton>(button);
    form->showTabOf(radio);
    clickButton(radio);
    QVERIFY(radio->isChecked());
    QCOMPARE(form->record("SETCONF"), checkedRecord);
    clickButton(radio);
    QVERIFY(!radio->isChecked());
    QCOMPARE(form->record("SETCONF"), QString("SETCONF=0,0,0,0,0,0;"));

    // The three do not exclude each other.
    clickButton(form->widget<QRadioButton>("radioButton_comActive"));
    clickButton(form->widget<QRadioButton>("radioButton_rsActive"));
    clickButton(form->widget<QRadioButton>("radioButton_canActive"));
    QCOMPARE(form->record("SETCONF"), QString("SETCONF=0,0,0,1,1,1;"));
    for (const char *name : {"radioButton_comActive", "radioButton_rsActive", "radioButton_canActive"})
        QVERIFY(form->widget<QRadioButton>(name)->isChecked());
}

void TestEditorHandlers::activeButtonsFromCode()
{
    // Checking from code is no click: the record stays; the program can also uncheck.
    auto *radio = form->widget<QRadioButton>("radioButton_rsActive");
    radio->setChecked(true);
    QVERIFY(radio->isChecked());
    QCOMPARE(form->record("SETCONF"), QString("SETCONF=0,0,0,0,0,0;"));
    radio->setChecked(false);
    QVERIFY(!radio->isChecked());
    radio->click();
    QCOMPARE(form->record("SETCONF"), QString("SETCONF=0,0,0,0,1,0;"));
}

void TestEditorHandlers::urlRows_data()
{
    QTest::addColumn<int>("row");
    for (int r = 1; r <= 5; ++r)
        QTest::newRow(qPrintable(QString("row %1").arg(r))) << r;
}

void TestEditorHandlers::urlRows()
{
    QFETCH(int, row);
    const QString n = QString::number(row);
    const QString key = "SETURL" + n;
    auto *address = form->widget<QLineEdit>("lineEdit_url" + n);
    auto *port = form->widget<QSpinBox>("spinBox_portUrl" + n);
    auto *interval = form->widget<QSpinBox>("spinBox_intervalUrl" + n);
    QTest::keyClicks(address, "srv.example.org");
    QCOMPARE(form->record(key), key + "=srv.example.org,1,0;");
    typeOver(port, "8080");
    QCOMPARE(port->value(), 8080);
    QCOMPARE(form->record(key), key + "=srv.example.org,8080,0;");
    typeOver(interval, "60");
    QCOMPARE(form->record(key), key + "=srv.example.org,8080,60;");
    address->clear();
    QCOMPARE(form->record(key), key + "=,8080,60;");
    // Only this row changed.
    for (int other = 1; other <= 5; ++other) {
        if (other != row)
            QCOMPARE(form->record(QString("SETURL%1").arg(other)), QString("SETURL%1=,1,0;").arg(other));
    }
}

void TestEditorHandlers::intervalLift_data()
{
    QTest::addColumn<int>("row");
    for (int r = 1; r <= 5; ++r)
        QTest::newRow(qPrintable(QString("row %1").arg(r))) << r;
}

void TestEditorHandlers::intervalLift()
{
    QFETCH(int, row);
    const QString n = QString::number(row);
    const QString key = "SETURL" + n;
    auto *interval = form->widget<QSpinBox>("spinBox_intervalUrl" + n);

    // Stepping down from 10 lands on 9 and goes straight back.
    interval->setValue(10);
    QTest::keyClick(interval, Qt::Key_Down);
    QCOMPARE(interval->value(), 10);
    QCOMPARE(form->record(key), key + "=,1,10;");

    // Stepping up from 0 gives 1, lifted to 10.
    interval->setValue(0);
    QCOMPARE(form->record(key), key + "=,1,0;");
    QTest::keyClick(interval, Qt::Key_Up);
    QCOMPARE(interval->value(), 10);
    QCOMPARE(form->record(key), key + "=,1,10;");

    // 0 stays 0; 10 and above stay as they are.
    interval->setValue(20);
    typeOver(interval, "0");
    QCOMPARE(interval->value(), 0);
    QCOMPARE(form->record(key), key + "=,1,0;");
    interval->setValue(1440);
    QCOMPARE(form->record(key), key + "=,1,1440;");

    // Values set by the program go the same way.
    interval->setValue(3);
    QCOMPARE(interval->value(), 10);
    QCOMPARE(form->record(key), key + "=,1,10;");
}

void TestEditorHandlers::spinBoxTyping_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("then");
    QTest::addColumn<int>("shown"); // the box's value afterwards
    QTest::addColumn<QString>("record");
    const auto row = [](const char *name, const char *box, const char *typed, const char *then, int shown,
                        const char *record) {
        QTest::newRow(name) << QString(box) << QString(typed) << QString(then) << shown << QString(record);
    };
    // While the engineer types, an interval box holds what was typed; the record never holds 1 to 9.
    row("60", "spinBox_intervalUrl1", "60", "", 60, "SETURL1=,1,60;");
    row("a first 1, not yet ended", "spinBox_intervalUrl1", "1", "", 1, "SETURL1=,1,10;");
    row("0 stays", "spinBox_intervalUrl2", "0", "", 0, "SETURL2=,1,0;");
    // The boxes take a sign and leading zeros; the modem gets the number in plain decimal.
    row("+5", "spinBox_intervalUrl3", "+5", "", 5, "SETURL3=,1,10;");
    row("007", "spinBox_intervalUrl4", "007", "", 7, "SETURL4=,1,10;");
    row("port +8080", "spinBox_portUrl2", "+8080", "", 8080, "SETURL2=,8080,0;");
    row("port 00021", "spinBox_portUrl3", "00021", "", 21, "SETURL3=,21,0;");
    row("time-out +5", "spinBox_timeout", "+5", "", 5, "SERVER=0,1,5,1;");
    row("reboot interval 007", "spinBox_rebootInterval", "007", "", 7, "SERVER=0,1,1,7;");
    // An interval box itself is put right when the edit ends, or when the arrows or the program set it.
    row("5, Enter", "spinBox_intervalUrl5", "5", "enter", 10, "SETURL5=,1,10;");
    row("007, Enter", "spinBox_intervalUrl1", "007", "enter", 10, "SETURL1=,1,10;");
    row("5, focus leaves", "spinBox_intervalUrl2", "5", "focus", 10, "SETURL2=,1,10;");
    row("60, Enter", "spinBox_intervalUrl3", "60", "enter", 60, "SETURL3=,1,60;");
    row("5, arrow up", "spinBox_intervalUrl4", "5", "up", 10, "SETURL4=,1,10;");
    row("5, then 3 from the program", "spinBox_intervalUrl5", "5", "program 3", 10, "SETURL5=,1,10;");
    row("5 pasted", "spinBox_intervalUrl1", "", "paste 5", 5, "SETURL1=,1,10;");
    row("5 pasted, Enter", "spinBox_intervalUrl2", "", "paste 5, enter", 10, "SETURL2=,1,10;");
}

void TestEditorHandlers::spinBoxTyping()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, then);
    QFETCH(int, shown);
    QFETCH(QString, record);
    auto *spin = form->widget<QSpinBox>(box);
    form->showTabOf(spin);
    QApplication::setActiveWindow(form->window.get());
    spin->setFocus();
    QTRY_VERIFY(spin->hasFocus());
    spin->setValue(30);
    typeOver(spin, typed);
    if (then.isEmpty())
        QCOMPARE(spin->text(), typed);
    if (then.startsWith("paste")) {
        QApplication::clipboard()->setText(then.section(' ', 1, 1).remove(','));
        spin->selectAll();
        QTest::keyClick(spin, Qt::Key_V, Qt::ControlModifier);
    }
    if (then.endsWith("enter"))
        QTest::keyClick(spin, Qt::Key_Return);
    else if (then == "focus")
        form->widget("lineEdit_commandToModem")->setFocus();
    else if (then == "up")
        QTest::keyClick(spin, Qt::Key_Up);
    else if (then.startsWith("program"))
        spin->setValue(then.section(' ', 1).toInt());
    QCOMPARE(spin->value(), shown);
    QCOMPARE(form->record(record.section('=', 0, 0)), record);
}

void TestEditorHandlers::clientServer()
{
    auto *client = form->widget<QRadioButton>("radioButton_client");
    auto *server = form->widget<QRadioButton>("radioButton_server");
    auto *portGroup = form->widget("groupBox_portModeServer");
    form->showTabOf(client);

    QTest::mouseClick(server, Qt::LeftButton);
    QVERIFY(server->isChecked());
    QVERIFY(!client->isChecked());
    QVERIFY(portGroup->isEnabled());
    QCOMPARE(form->record("SERVER"), QString("SERVER=1,1,1,1;"));

    // Clicking the selected one again keeps it, and the record.
    QTest::mouseClick(server, Qt::LeftButton);
    QVERIFY(server->isChecked());
    QVERIFY(portGroup->isEnabled());
    QCOMPARE(form->record("SERVER"), QString("SERVER=1,1,1,1;"));

    QTest::mouseClick(client, Qt::LeftButton);
    QVERIFY(client->isChecked());
    QVERIFY(!server->isChecked());
    QVERIFY(!portGroup->isEnabled());
    QCOMPARE(form->record("SERVER"), QString("SERVER=0,1,1,1;"));

    QTest::mouseClick(client, Qt::LeftButton);
    QVERIFY(client->isChecked());
    QVERIFY(!portGroup->isEnabled());
    QCOMPARE(form->record("SERVER"), QString("SERVER=0,1,1,1;"));
}

void TestEditorHandlers::clientServerFromCode()
{
    // Checking from code runs no handler; an exclusive button cannot be unchecked from code.
    auto *client = form->widget<QRadioButton>("radioButton_client");
    auto *server = form->widget<QRadioButton>("radioButton_server");
    server->setChecked(true);
    QVERIFY(!client->isChecked());
    QCOMPARE(form->record("SERVER"), QString("SERVER=0,1,1,1;"));
    QVERIFY(!form->widget("groupBox_portModeServer")->isEnabled());
    server->setChecked(false);
    QVERIFY(server->isChecked());

    // The false branches, reachable only by calling the handlers: the mode flips, the group is left alone.
    QVERIFY(
        QMetaObject::invokeMethod(form->window.get(), "on_radioButton_server_clicked", Q_ARG(bool, false)));
    QCOMPARE(form->record("SERVER"), QString("SERVER=0,1,1,1;"));
    QVERIFY(!form->widget("groupBox_portModeServer")->isEnabled());
    QVERIFY(
        QMetaObject::invokeMethod(form->window.get(), "on_radioButton_client_clicked", Q_ARG(bool, false)));
    QCOMPARE(form->record("SERVER"), QString("SERVER=1,1,1,1;"));
    QVERIFY(!form->widget("groupBox_portModeServer")->isEnabled());
    QVERIFY(
        QMetaObject::invokeMethod(form->window.get(), "on_radioButton_server_clicked", Q_ARG(bool, true)));
    QVERIFY(form->widget("groupBox_portModeServer")->isEnabled());
}

void TestEditorHandlers::serverSpinBoxes()
{
    auto *server = form->widget<QRadioButton>("radioButton_server");
    form->showTabOf(server);
    QTest::mouseClick(server, Qt::LeftButton);
    typeOver(form->widget("spinBox_portModeServer"), "5000");
    QCOMPARE(form->record("SERVER"), QString("SERVER=1,5000,1,1;"));
    typeOver(form->widget("spinBox_timeout"), "30");
    QCOMPARE(form->record("SERVER"), QString("SERVER=1,5000,30,1;"));
    typeOver(form->widget("spinBox_rebootInterval"), "168");
    QCOMPARE(form->record("SERVER"), QString("SERVER=1,5000,30,168;"));
    form->widget<QSpinBox>("spinBox_timeout")->setValue(99);
    QCOMPARE(form->record("SERVER"), QString("SERVER=1,5000,60,168;"));
}

void TestEditorHandlers::settingsWindowRecords_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("received");
    QTest::newRow("SETID") << "SETID"
                           << "SETID=1,object 17;";
    QTest::newRow("SETLOG") << "SETLOG"
                            << "SETLOG=1;";
    QTest::newRow("SETCSD") << "SETCSD"
                            << "SETCSD=71,0,1;";
    QTest::newRow("PASSET") << "PASSET"
                            << "PASSET=secret;";
    QTest::newRow("taken unchecked") << "PASSET"
                                     << "not a record";
}

void TestEditorHandlers::settingsWindowRecords()
{
    QFETCH(QString, key);
    QFETCH(QString, received);
    FormSettings *settings = form->window->settingsWindow();
    const QString before = form->record("SETCOM");
    if (key == "SETID")
        emit settings->sendSETIDStringToWindow(received);
    else if (key == "SETLOG")
        emit settings->sendSETLOGStringToWindow(received);
    else if (key == "SETCSD")
        emit settings->sendSETCSDStringToWindow(received);
    else
        emit settings->sendPASSETStringToWindow(received);
    QCOMPARE(form->record(key), received);
    QCOMPARE(form->record("SETCOM"), before);
}

void TestEditorHandlers::separatorsRefused_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("recordFormat"); // %1 stands for the field's text
    QTest::addColumn<bool>("paste");
    for (bool paste : {false, true}) {
        const char *how = paste ? "pasted" : "typed";
        auto row = [&](const QString &edit, const QString &key, const QString &format) {
            QTest::newRow(qPrintable(QString("%1 %2").arg(edit, how))) << edit << key << format << paste;
        };
        for (int s = 1; s <= 2; ++s) {
            const QString key = QString("SETSIM%1").arg(s);
            row(QString("lineEdit_pinSIM%1").arg(s), key, key + "=%1,,,;");
            row(QString("lineEdit_userNameGPRSSIM%1").arg(s), key, key + "=3759,%1,,;");
            row(QString("lineEdit_passwordGPRSSIM%1").arg(s), key, key + "=3759,,%1,;");
            row(QString("lineEdit_pointAPNGPRSSIM%1").arg(s), key, key + "=3759,,,%1;");
        }
        for (int i = 1; i <= 5; ++i) {
            row(QString("lineEdit_url%1").arg(i), QString("SETURL%1").arg(i),
                QString("SETURL%1=%2,1,0;").arg(i).arg("%1"));
            row(QString("lineEdit_csdNumber%1").arg(i), QString("CSDTEL%1").arg(i),
                QString("CSDTEL%1=%2;").arg(i).arg("%1"));
            row(QString("lineEdit_controlNumber%1").arg(i), QString("ADMTEL%1").arg(i),
                QString("ADMTEL%1=%2;").arg(i).arg("%1"));
        }
    }
}

void TestEditorHandlers::separatorsRefused()
{
    QFETCH(QString, edit);
    QFETCH(QString, key);
    QFETCH(QString, recordFormat);
    QFETCH(bool, paste);
    auto *line = form->widget<QLineEdit>(edit);
    QVERIFY(line);
    line->clear();
    if (paste) {
        // Neither separators nor what the line cannot carry (accents, CJK, emoji, line breaks).
        QApplication::clipboard()->setText(QString::fromUtf8("1,é\n2;中😀"));
        QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(line->text(), QString("12"));
        pasteFromContextMenu(line);
        QCOMPARE(line->text(), QString("1212"));
        // The line edit's own paste, which nothing in the form calls, is caught all the same (after its
        // length limit, which the PIN's 4 characters show).
        QApplication::clipboard()->setText(QString::fromUtf8("1,é2;"));
        line->clear();
        line->paste();
        QCOMPARE(line->text(), QString("12"));
    } else {
        QTest::keyClicks(line, "1,2");
        QTest::keyClick(line, Qt::Key_Semicolon);
        typeText(line, QString::fromUtf8(";é中😀3,"));
        QCOMPARE(line->text(), QString("123"));
        QCOMPARE(line->cursorPosition(), 3);
    }
    QCOMPARE(form->record(key), recordFormat.arg(line->text()));
}

void TestEditorHandlers::pasteCleanedBeforeTheLimit_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("text");
    QTest::newRow("PIN") << "lineEdit_pinSIM2"
                         << "1,2,3,4,5"
                         << "1234";
    QTest::newRow("number") << "lineEdit_controlNumber4"
                            << "+7,912;345,67,89,012"
                            << "+79123456789";
    QTest::newRow("APN") << "lineEdit_pointAPNGPRSSIM1"
                         << ";;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;;internet"
                         << "internet";
    QTest::newRow("APN with what the line cannot carry")
        << "lineEdit_pointAPNGPRSSIM2" << QString::fromUtf8("café😀中文😀😀😀😀😀😀😀😀😀😀😀😀😀.internet.ru")
        << "caf.internet.ru";
}

void TestEditorHandlers::pasteCleanedBeforeTheLimit()
{
    // A separator takes no room from the characters that follow it.
    QFETCH(QString, edit);
    QFETCH(QString, clipboard);
    QFETCH(QString, text);
    auto *line = form->widget<QLineEdit>(edit);
    line->clear();
    QApplication::clipboard()->setText(clipboard);
    QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(line->text(), text);
    line->clear();
    QTest::keyClick(line, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(line->text(), text);
    line->clear();
    pasteFromContextMenu(line);
    QCOMPARE(line->text(), text);
}

void TestEditorHandlers::separatorsFromCode()
{
    // A text set by the program (a read or a file) goes through the same filter.
    auto *apn = form->widget<QLineEdit>("lineEdit_pointAPNGPRSSIM1");
    apn->setText("a,b;c");
    QCOMPARE(apn->text(), QString("abc"));
    QCOMPARE(form->record("SETSIM1"), QString("SETSIM1=3759,,,abc;"));
}

void TestEditorHandlers::otherCharactersKept()
{
    const QString text = QString::fromUtf8("a=b.c-d_e f:g/h\\i\"j'k#сеть");
    auto *user = form->widget<QLineEdit>("lineEdit_userNameGPRSSIM2");
    user->setMaxLength(100); // only to see every character; the real limit is tested with the form
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(user, c.toLatin1());
        else // not on the test's keyboard map: a key that only carries the text
            QTest::sendKeyEvent(QTest::Click, user, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    QCOMPARE(user->text(), text);
    QCOMPARE(form->record("SETSIM2"), "SETSIM2=3759," + text + ",,;");
    auto *number = form->widget<QLineEdit>("lineEdit_csdNumber3");
    QTest::keyClicks(number, "+7 (912) 1");
    QCOMPARE(form->record("CSDTEL3"), QString("CSDTEL3=+7 (912) 1;"));
}

VELON_TEST_MAIN(TestEditorHandlers)
#include "tst_editorhandlers.moc"
