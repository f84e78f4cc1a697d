#include "arrangement.h"
#include "messageboxwatcher.h"
#include "settings/formsettings.h"
#include "testmain.h"
#include "testutil.h"
#include "typing.h"

#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>

#include <memory>

// What the main window would receive from the dialog: the records of one signal, in order.
static QStringList records(QSignalSpy &spy)
{
    QStringList result;
    for (const QList<QVariant> &args : spy)
        result.append(args.at(0).toString());
    spy.clear();
    return result;
}

class TestFormSettings : public QObject
{
    Q_OBJECT

    std::unique_ptr<FormSettings> dialog;
    std::unique_ptr<QSignalSpy> setid, setlog, setcsd, passet;

    template <typename T> T *widget(const char *name) const { return child<T>(dialog.get(), name); }
    QRadioButton *identitySwitch() const { return widget<QRadioButton>("radioButton_identitySwitch"); }
    QLineEdit *identityLine() const { return widget<QLineEdit>("lineEdit_identityLine"); }
    QRadioButton *sendLogFile() const { return widget<QRadioButton>("radioButton_sendLogFile"); }
    QComboBox *csd() const { return widget<QComboBox>("comboBox_CSD"); }
    QLineEdit *password() const { return widget<QLineEdit>("lineEdit_password"); }

    void clearSpies()
    {
        setid->clear();
        setlog->clear();
        setcsd->clear();
        passet->clear();
    }
    bool nothingSent() const
    {
        return setid->isEmpty() && setlog->isEmpty() && setcsd->isEmpty() && passet->isEmpty();
    }

private slots:
    void init()
    {
        dialog = std::make_unique<FormSettings>();
        setid = std::make_unique<QSignalSpy>(dialog.get(), &FormSettings::sendSETIDStringToWindow);
        setlog = std::make_unique<QSignalSpy>(dialog.get(), &FormSettings::sendSETLOGStringToWindow);
        setcsd = std::make_unique<QSignalSpy>(dialog.get(), &FormSettings::sendSETCSDStringToWindow);
        passet = std::make_unique<QSignalSpy>(dialog.get(), &FormSettings::sendPASSETStringToWindow);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    }
    void cleanup()
    {
        setid.reset();
        setlog.reset();
        setcsd.reset();
        passet.reset();
        dialog.reset();
    }

    void form_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parentName");
        QTest::addColumn<QString>("text");
        QTest::newRow("groupBox_2") << "groupBox_2"
                                    << "FormSettings"
                                    << "Идентификатор";
        QTest::newRow("label_2") << "label_2"
                                 << "groupBox_2"
                                 << "Режим";
        QTest::newRow("radioButton_identitySwitch") << "radioButton_identitySwitch"
                                                    << "groupBox_2"
                                                    << "Вкл / Выкл";
        QTest::newRow("lineEdit_identityLine") << "lineEdit_identityLine"
                                               << "groupBox_2" << QString();
        QTest::newRow("groupBox") << "groupBox"
                                  << "FormSettings"
                                  << "Передача лог-файла";
        QTest::newRow("radioButton_sendLogFile") << "radioButton_sendLogFile"
                                                 << "groupBox"
                                                 << "Вкл /  Выкл";
        QTest::newRow("groupBox_3") << "groupBox_3"
                                    << "FormSettings"
                                    << "Настройка CSD";
        QTest::newRow("comboBox_CSD") << "comboBox_CSD"
                                      << "groupBox_3"
                                      << "7,0,1";
        QTest::newRow("groupBox_4") << "groupBox_4"
                                    << "FormSettings"
                                    << "Пароль (4-7 символов)";
        QTest::newRow("lineEdit_password") << "lineEdit_password"
                                           << "groupBox_4" << QString();
    }
    void form()
    {
        QFETCH(QString, name);
        QFETCH(QString, parentName);
        QFETCH(QString, text);
        QCOMPARE(dialog->windowTitle(), QString("Настройки"));
        // The form's width; the height its rows need, without an empty band below them.
        QCOMPARE(dialog->size(), QSize(357, dialog->sizeHint().height()));
        auto *w = dialog->findChild<QWidget *>(name);
        QVERIFY(w);
        QCOMPARE(w->parentWidget()->objectName(), parentName);
        QString shown;
        if (auto *g = qobject_cast<QGroupBox *>(w))
            shown = g->title();
        else if (auto *l = qobject_cast<QLabel *>(w))
            shown = l->text();
        else if (auto *b = qobject_cast<QAbstractButton *>(w))
            shown = b->text();
        else if (auto *e = qobject_cast<QLineEdit *>(w))
            shown = e->text();
        else if (auto *c = qobject_cast<QComboBox *>(w))
            shown = c->currentText();
        QCOMPARE(shown, text);
    }

    // Laid out, the dialog keeps its arrangement whatever size the fonts give its widgets: the four groups
    // stacked at the given left edge and width, the two switches in line, the CSD box over the password line.
    void arrangement_data()
    {
        using namespace arrangement;
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("place");
        QTest::addColumn<QString>("reference");
        auto row = [](const char *name, Place place, const char *reference) {
            QTest::newRow(
                qPrintable(QStringLiteral("%1 %2 %3").arg(name, arrangement::name(place), reference)))
                << QString(name) << int(place) << QString(reference);
        };
        const char *groups[] = {"groupBox_2", "groupBox", "groupBox_3", "groupBox_4"};
        for (int i = 1; i < 4; ++i) {
            for (Place place : {Below, SameLeft, SameWidth})
                row(groups[i], place, groups[i - 1]);
        }
        row("radioButton_identitySwitch", RightOf, "label_2");
        row("radioButton_identitySwitch", SameMiddle, "label_2");
        row("lineEdit_identityLine", Below, "radioButton_identitySwitch");
        row("lineEdit_identityLine", SameLeft, "label_2");
        row("radioButton_sendLogFile", SameLeft, "radioButton_identitySwitch");
        row("lineEdit_password", SameLeft, "comboBox_CSD");
        row("lineEdit_password", SameWidth, "comboBox_CSD");
    }
    void arrangement()
    {
        QFETCH(QString, name);
        QFETCH(int, place);
        QFETCH(QString, reference);
        QWidget *w = widget<QWidget>(qPrintable(name));
        QWidget *ref = widget<QWidget>(qPrintable(reference));
        QVERIFY2(arrangement::holds(arrangement::Place(place), w, ref),
                 qPrintable(arrangement::describe(w, ref)));
    }
    // The given left edges and widths that the layouts keep.
    void keptPlaces()
    {
        const QRect identity = widget<QWidget>("groupBox_2")->geometry();
        QCOMPARE(identity.topLeft(), QPoint(20, 10));
        QCOMPARE(identity.width(), 311);
        QCOMPARE(widget<QWidget>("label_2")->x(), 10);
        QCOMPARE(identitySwitch()->x(), 90);
        QCOMPARE(csd()->x(), 20);
        QCOMPARE(csd()->width(), 131);
    }

    void startState()
    {
        QCOMPARE(csd()->count(), 3);
        QCOMPARE(csd()->itemText(0), QString("0,0,1"));
        QCOMPARE(csd()->itemText(1), QString("7,0,1"));
        QCOMPARE(csd()->itemText(2), QString("71,0,1"));
        QVERIFY(!csd()->isEditable());
        QVERIFY(!identitySwitch()->isChecked());
        QVERIFY(!sendLogFile()->isChecked());
        QCOMPARE(identityLine()->maxLength(), 100);
        QCOMPARE(password()->maxLength(), 7);
    }

    void receivedSetid_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("1,ABC") << QString() << "1,ABC" << true << "ABC"
                               << QStringList{"SETID=1,;", "SETID=1,ABC;"};
        QTest::newRow("0,") << QString() << "0," << false << "" << QStringList{"SETID=0,;"};
        QTest::newRow("0, after 1,ABC") << "1,ABC"
                                        << "0," << false << "" << QStringList{"SETID=0,ABC;", "SETID=0,;"};
        QTest::newRow("same again") << "1,ABC"
                                    << "1,ABC" << true << "ABC" << QStringList{"SETID=1,ABC;"};
        QTest::newRow("new identifier")
            << "0,OLD"
            << "1,NEW" << true << "NEW" << QStringList{"SETID=1,OLD;", "SETID=1,NEW;"};
    }
    void receivedSetid()
    {
        QFETCH(QString, before);
        QFETCH(QString, value);
        QFETCH(bool, checked);
        QFETCH(QString, line);
        QFETCH(QStringList, sent);
        if (!before.isNull())
            dialog->slotGetSETIDStringFromMainWindow(before);
        clearSpies();
        dialog->slotGetSETIDStringFromMainWindow(value);
        QCOMPARE(records(*setid), sent);
        QCOMPARE(identitySwitch()->isChecked(), checked);
        QCOMPARE(identityLine()->text(), line);
        QVERIFY(nothingSent());
    }

    void receivedSetlog_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("1") << QString() << "1" << true << QStringList{"SETLOG=1;"};
        QTest::newRow("0 after 1") << "1"
                                   << "0" << false << QStringList{"SETLOG=0;"};
        QTest::newRow("1 again") << "1"
                                 << "1" << true << QStringList{"SETLOG=1;"};
        QTest::newRow("2 after 1") << "1"
                                   << "2" << true << QStringList{};
        QTest::newRow("2") << QString() << "2" << false << QStringList{};
    }
    void receivedSetlog()
    {
        QFETCH(QString, before);
        QFETCH(QString, value);
        QFETCH(bool, checked);
        QFETCH(QStringList, sent);
        if (!before.isNull())
            dialog->slotGetSETLOGStringFromMainWindow(before);
        clearSpies();
        dialog->slotGetSETLOGStringFromMainWindow(value);
        QCOMPARE(records(*setlog), sent);
        QCOMPARE(sendLogFile()->isChecked(), checked);
        QVERIFY(nothingSent());
    }

    void receivedSetcsd_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("0,0,1") << "0,0,1"
                               << "0,0,1" << QStringList{"SETCSD=0,0,1;"};
        QTest::newRow("71,0,1") << "71,0,1"
                                << "71,0,1" << QStringList{"SETCSD=71,0,1;"};
        QTest::newRow("equal to current") << "7,0,1"
                                          << "7,0,1" << QStringList{};
        QTest::newRow("unknown") << "7,0,2"
                                 << "7,0,1" << QStringList{};
    }
    void receivedSetcsd()
    {
        QFETCH(QString, value);
        QFETCH(QString, current);
        QFETCH(QStringList, sent);
        dialog->slotGetSETCSDStringFromMainWindow(value);
        QCOMPARE(records(*setcsd), sent);
        QCOMPARE(csd()->currentText(), current);
        QVERIFY(nothingSent());
    }

    void receivedPasset_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("3 characters") << "abc" << true << "KVR38" << QStringList{};
        QTest::newRow("8 characters") << "abcdefgh" << true << "KVR38" << QStringList{};
        QTest::newRow("empty") << "" << true << "KVR38" << QStringList{};
        QTest::newRow("4 characters") << "abcd" << false << "abcd" << QStringList{"PASSET=abcd;"};
        QTest::newRow("7 characters") << "abcdefg" << false << "abcdefg" << QStringList{"PASSET=abcdefg;"};
        QTest::newRow("with a comma") << "ab,cd" << false << "ab,cd" << QStringList{"PASSET=ab,cd;"};
        QTest::newRow("same as shown") << "KVR38" << false << "KVR38" << QStringList{};
    }
    void receivedPasset()
    {
        QFETCH(QString, value);
        QFETCH(bool, refused);
        QFETCH(QString, line);
        QFETCH(QStringList, sent);
        dialog->slotGetPASSETStringFromMainWindow("KVR38");
        clearSpies();
        MessageBoxWatcher watcher;
        dialog->slotGetPASSETStringFromMainWindow(value);
        QCOMPARE(password()->text(), line);
        QCOMPARE(records(*passet), sent);
        QVERIFY(nothingSent());
        if (!refused) {
            QVERIFY(watcher.boxes().isEmpty());
            return;
        }
        QCOMPARE(watcher.boxes().size(), 1);
        const MessageBoxWatcher::Box &box = watcher.boxes().first();
        QCOMPARE(box.text, QString("Недопустимая длина пароля"));
        QCOMPARE(box.parent.data(), static_cast<QWidget *>(dialog.get()));
        QCOMPARE(box.title, QString());
        QCOMPARE(box.icon, QMessageBox::Information);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    void clickingTheSwitches()
    {
        QTest::mouseClick(identitySwitch(), Qt::LeftButton);
        QVERIFY(identitySwitch()->isChecked());
        QTest::mouseClick(identitySwitch(), Qt::LeftButton);
        QVERIFY(!identitySwitch()->isChecked());
        QCOMPARE(records(*setid), (QStringList{"SETID=1,;", "SETID=0,;"}));

        QTest::mouseClick(sendLogFile(), Qt::LeftButton);
        QVERIFY(sendLogFile()->isChecked());
        QTest::mouseClick(sendLogFile(), Qt::LeftButton);
        QVERIFY(!sendLogFile()->isChecked());
        QCOMPARE(records(*setlog), (QStringList{"SETLOG=1;", "SETLOG=0;"}));
        QVERIFY(nothingSent());
    }

    void typingAnIdentifierBeforeTheSwitch()
    {
        // The switch shows "off", so the record says so rather than carrying an empty switch.
        QTest::keyClicks(identityLine(), "ABC");
        QCOMPARE(records(*setid), (QStringList{"SETID=0,A;", "SETID=0,AB;", "SETID=0,ABC;"}));
        QTest::mouseClick(identitySwitch(), Qt::LeftButton);
        QCOMPARE(records(*setid), QStringList{"SETID=1,ABC;"});
    }

    void separatorsAreRefused_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("lastRecord");
        QTest::newRow("identifier") << "lineEdit_identityLine"
                                    << "A,B;C"
                                    << "ABC"
                                    << "SETID=0,ABC;";
        QTest::newRow("password") << "lineEdit_password"
                                  << "a;b,c"
                                  << "ab,c"
                                  << "PASSET=ab,c;";
    }
    void separatorsAreRefused()
    {
        QFETCH(QString, line);
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(QString, lastRecord);
        auto *edit = dialog->findChild<QLineEdit *>(line);
        typeText(edit, typed);
        QCOMPARE(edit->text(), text);
        QSignalSpy &spy = line == "lineEdit_password" ? *passet : *setid;
        QCOMPARE(spy.last().at(0).toString(), lastRecord);

        // Pasting goes through the same rule.
        edit->clear();
        spy.clear();
        QApplication::clipboard()->setText(typed);
        if (QApplication::clipboard()->text() != typed)
            QSKIP("no clipboard on this platform");
        edit->paste();
        QCOMPARE(edit->text(), text);
        QCOMPARE(spy.last().at(0).toString(), lastRecord);
    }

    void pastedSeparatorsTakeNoRoom()
    {
        // The separator goes before the length limit cuts, as on the main window's form.
        QApplication::clipboard()->setText("ab;cdefgh");
        if (QApplication::clipboard()->text() != "ab;cdefgh")
            QSKIP("no clipboard on this platform");
        password()->setFocus();
        QTest::keySequence(password(), QKeySequence::Paste);
        QCOMPARE(password()->text(), QString("abcdefg"));
        QCOMPARE(passet->last().at(0).toString(), QString("PASSET=abcdefg;"));
    }

    void typingAPassword()
    {
        QTest::keyClicks(password(), "ab");
        QCOMPARE(records(*passet), (QStringList{"PASSET=a;", "PASSET=ab;"}));
        password()->clear();
        passet->clear();
        QTest::keyClicks(password(), "abcdefgh");
        QCOMPARE(password()->text(), QString("abcdefg"));
        QCOMPARE(passet->size(), 7);
        QCOMPARE(passet->last().at(0).toString(), QString("PASSET=abcdefg;"));
    }

    void choosingACsdMode()
    {
        csd()->setFocus();
        QTest::keyClick(csd(), Qt::Key_Down);
        QCOMPARE(csd()->currentText(), QString("71,0,1"));
        QCOMPARE(records(*setcsd), QStringList{"SETCSD=71,0,1;"});
        QTest::keyClick(csd(), Qt::Key_Up);
        QTest::keyClick(csd(), Qt::Key_Up);
        QCOMPARE(records(*setcsd), (QStringList{"SETCSD=7,0,1;", "SETCSD=0,0,1;"}));
        QVERIFY(nothingSent());
    }
};

VELON_TEST_MAIN(TestFormSettings)
#include "tst_formsettings.moc"
