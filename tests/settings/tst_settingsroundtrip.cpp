#include "app/mainwindow.h"
#include "link/portlist.h"
#include "messageboxwatcher.h"
#include "settings/formsettings.h"
#include "testmain.h"
#include "testutil.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

#include <memory>

class TestSettingsRoundTrip : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindow> window;

    template <typename T> T *dialogWidget(const char *name) const
    {
        return child<T>(window->settingsWindow(), name);
    }

private slots:
    void init()
    {
        portlist::setProvider([] { return QStringList{}; });
        MessageBoxWatcher watcher;
        window = std::make_unique<MainWindow>();
    }
    void cleanup() { window.reset(); }

    // A read or a load hands the value to the dialog; the main window ends up with the dialog's record.
    void fromTheMainWindow_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("record");
        QTest::newRow("SETID 1,ABC") << "SETID"
                                     << "1,ABC"
                                     << "SETID=1,ABC;";
        QTest::newRow("SETID 0,") << "SETID"
                                  << "0,"
                                  << "SETID=0,;";
        QTest::newRow("SETLOG 1") << "SETLOG"
                                  << "1"
                                  << "SETLOG=1;";
        QTest::newRow("SETLOG 2") << "SETLOG"
                                  << "2"
                                  << "SETLOG=0;";
        QTest::newRow("SETCSD 71,0,1") << "SETCSD"
                                       << "71,0,1"
                                       << "SETCSD=71,0,1;";
        QTest::newRow("SETCSD current") << "SETCSD"
                                        << "7,0,1"
                                        << "SETCSD=7,0,1;";
        QTest::newRow("PASSET 4") << "PASSET"
                                  << "abcd"
                                  << "PASSET=abcd;";
        QTest::newRow("PASSET 8") << "PASSET"
                                  << "abcdefgh"
                                  << "PASSET=KVR38;";
    }
    void fromTheMainWindow()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, record);
        MessageBoxWatcher watcher;
        if (key == "SETID")
            emit window->sendSETIDStringFromMainWindow(value);
        else if (key == "SETLOG")
            emit window->sendSETLOGStringFromMainWindow(value);
        else if (key == "SETCSD")
            emit window->sendSETCSDStringFromMainWindow(value);
        else
            emit window->sendPASSETStringFromMainWindow(value);
        QCOMPARE(window->recordText(key), record);
        QCOMPARE(watcher.texts(),
                 value == "abcdefgh" ? QStringList{"Недопустимая длина пароля"} : QStringList{});
    }

    // An edit in the dialog changes the main window's record text.
    void fromTheDialog()
    {
        FormSettings *dialog = window->settingsWindow();
        window->findChild<QToolButton *>("toolButton_settings")->click();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));

        QTest::mouseClick(dialogWidget<QRadioButton>("radioButton_identitySwitch"), Qt::LeftButton);
        QCOMPARE(window->recordText("SETID"), QString("SETID=1,;"));
        QTest::keyClicks(dialogWidget<QLineEdit>("lineEdit_identityLine"), "N,7;");
        QCOMPARE(window->recordText("SETID"), QString("SETID=1,N7;"));

        QTest::mouseClick(dialogWidget<QRadioButton>("radioButton_sendLogFile"), Qt::LeftButton);
        QCOMPARE(window->recordText("SETLOG"), QString("SETLOG=1;"));

        auto *csd = dialogWidget<QComboBox>("comboBox_CSD");
        csd->setFocus();
        QTest::keyClick(csd, Qt::Key_Down);
        QCOMPARE(window->recordText("SETCSD"), QString("SETCSD=71,0,1;"));

        QTest::keyClicks(dialogWidget<QLineEdit>("lineEdit_password"), "pw12");
        QCOMPARE(window->recordText("PASSET"), QString("PASSET=pw12;"));
    }

    void settingsButtonShowsTheSameWindow()
    {
        auto *button = window->findChild<QToolButton *>("toolButton_settings");
        button->click();
        FormSettings *dialog = window->settingsWindow();
        QVERIFY(dialog->isVisible());
        QTest::keyClicks(dialogWidget<QLineEdit>("lineEdit_identityLine"), "kept");
        dialog->close();
        QVERIFY(!dialog->isVisible());
        button->click();
        QCOMPARE(window->settingsWindow(), dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialogWidget<QLineEdit>("lineEdit_identityLine")->text(), QString("kept"));
    }
};

VELON_TEST_MAIN(TestSettingsRoundTrip)
#include "tst_settingsroundtrip.moc"
