#include "app/logging.h"
#include "app/mainwindow.h"
#include "app/windowfit.h"
#include "link/portlist.h"
#include "messageboxwatcher.h"
#include "settings/formsettings.h"
#include "testmain.h"

#include <QLineEdit>
#include <QToolButton>

#include <memory>

Q_DECLARE_METATYPE(QMargins)

// The main window's lifecycle: what exists after construction, the settings window, closing.
class TestShell : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void startUpRecordsOfTheShell();
    void everyParseReplacesTheWholeMap();
    void settingsWindowIsOneWindowThatKeepsItsContents();
    void closingClosesTheSettingsWindowAndEndsTheProgram();
    void debugLinesOnlyWhenAskedFor();
    void placement_data();
    void placement();
    void movedInside_data();
    void movedInside();
    void frameBelieved_data();
    void frameBelieved();

private:
    static std::unique_ptr<MainWindow> makeWindow() { return std::make_unique<MainWindow>(); }
};

void TestShell::init()
{
    // No serial port at all: nothing real is ever probed.
    portlist::setProvider([] { return QStringList{}; });
}

void TestShell::startUpRecordsOfTheShell()
{
    MessageBoxWatcher boxes;
    const auto window = makeWindow();
    QCOMPARE(window->recordText("SETID"), QString("SETID=0,;"));
    QCOMPARE(window->recordText("SETLOG"), QString("SETLOG=0;"));
    QCOMPARE(window->recordText("SETCSD"), QString("SETCSD=7,0,1;"));
    QCOMPARE(window->recordText("PASSET"), QString("PASSET=KVR38;"));
    QCOMPARE(window->recordText("SETCONF"), QString("SETCONF=0,0,0,0,0,0;"));
    QCOMPARE(window->recordText("NOSUCHKEY"), QString());
    QVERIFY(window->parsedParams().isEmpty());
    QVERIFY(window->settingsWindow());
    QVERIFY(!window->settingsWindow()->isVisible());
    QVERIFY(!window->settingsWindow()->parent());
}

void TestShell::everyParseReplacesTheWholeMap()
{
    MessageBoxWatcher boxes;
    const auto window = makeWindow();
    window->slotGetAllParams("SETLOG=1;SETCSD=7,0,1;PASSET=a=b;");
    QCOMPARE(window->parsedParams(),
             (QMap<QString, QString>{{"SETLOG", "1"}, {"SETCSD", "7,0,1"}, {"PASSET", "a=b"}}));
    window->slotGetAllParams("SETLOG=0;\r\nSETID=0,;");
    QCOMPARE(window->parsedParams(), (QMap<QString, QString>{{"SETLOG", "0"}, {"SETID", "0,"}}));
    window->slotGetAllParams(QByteArray());
    QVERIFY(window->parsedParams().isEmpty());
    // Parsing fills the map only; the editor's records stay as they were.
    QCOMPARE(window->recordText("SETLOG"), QString("SETLOG=0;"));
    QCOMPARE(boxes.texts(), QStringList{"COM портов не обнаружено"});
}

void TestShell::settingsWindowIsOneWindowThatKeepsItsContents()
{
    MessageBoxWatcher boxes;
    const auto window = makeWindow();
    window->show();
    auto *button = window->findChild<QToolButton *>("toolButton_settings");
    QVERIFY(button);
    button->click();
    FormSettings *settings = window->settingsWindow();
    QVERIFY(settings->isVisible());
    auto *identity = settings->findChild<QLineEdit *>("lineEdit_identityLine");
    QVERIFY(identity);
    QTest::keyClicks(identity, "MODEM7");
    settings->close();
    QVERIFY(!settings->isVisible());
    button->click();
    button->click();
    QVERIFY(settings->isVisible());
    QCOMPARE(identity->text(), QString("MODEM7"));
    int settingsWindows = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        settingsWindows += qobject_cast<FormSettings *>(w) != nullptr;
    QCOMPARE(settingsWindows, 1);
}

void TestShell::closingClosesTheSettingsWindowAndEndsTheProgram()
{
    MessageBoxWatcher boxes;
    auto window = makeWindow();
    window->show();
    window->findChild<QToolButton *>("toolButton_settings")->click();
    FormSettings *settings = window->settingsWindow();
    QVERIFY(settings->isVisible());
    QTimer::singleShot(50, window.get(), [&] { window->close(); });
    // Should the loop not end by itself, this ends it with a status the test rejects.
    QTimer::singleShot(5000, qApp, [] { qApp->exit(99); });
    QCOMPARE(qApp->exec(), 0);
    QVERIFY(!settings->isVisible());
    QVERIFY(!window->isVisible());
    window.reset();
}

namespace {
QStringList *ownDebugSink = nullptr;
// Every debug line of the program's own: its categories and any plain qDebug() left behind.
void collectOwnDebug(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QString category = QString::fromLatin1(context.category);
    if (ownDebugSink && type == QtDebugMsg && (category == "default" || category.startsWith("velon.")))
        ownDebugSink->append(category + ": " + message);
}
} // namespace

void TestShell::debugLinesOnlyWhenAskedFor()
{
    // As started from a terminal: a window built, the settings edited, closed. Then the same with --verbose.
    if (qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        QSKIP("QT_LOGGING_RULES is set: the categories' defaults cannot be seen");
    QStringList lines;
    ownDebugSink = &lines;
    const QtMessageHandler previous = qInstallMessageHandler(collectOwnDebug);
    const auto run = [](const QStringList &arguments) {
        logging::applyArguments(arguments);
        MessageBoxWatcher boxes;
        const auto window = makeWindow();
        window->settingsWindow()->findChild<QLineEdit *>("lineEdit_password")->setText("12345");
        window->close();
    };
    run({"velon-configurator"});
    const QStringList quiet = lines;
    lines.clear();
    run({"velon-configurator", "--verbose"});
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(previous);
    ownDebugSink = nullptr;
    QVERIFY2(quiet.isEmpty(), qPrintable(quiet.join('\n')));
    for (const char *category : {"velon.editor", "velon.settings"})
        QVERIFY2(lines.indexOf(QRegularExpression(QString("^%1: .*").arg(category))) >= 0,
                 qPrintable(lines.join('\n')));
}

void TestShell::placement_data()
{
    // A screen of 1024x600 whose panel takes the top 30 pixels; frames of 5 pixels with a 30-pixel title.
    QTest::addColumn<QRect>("other"); // the main window's frame for "beside", empty for "place"
    QTest::addColumn<QSize>("wanted");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("shrunk to the area, centred")
        << QRect() << QSize(1180, 679) << QSize(500, 300) << QRect(5, 60, 1014, 535);
    QTest::newRow("smaller than the area, centred")
        << QRect() << QSize(400, 300) << QSize(100, 100) << QRect(311, 177, 400, 300);
    QTest::newRow("minimum too big: title bar on the area")
        << QRect() << QSize(1180, 679) << QSize(1100, 560) << QRect(5, 60, 1100, 560);
    QTest::newRow("beside, room on the right")
        << QRect(0, 30, 500, 400) << QSize(400, 300) << QSize(100, 100) << QRect(505, 60, 400, 300);
    QTest::newRow("beside, room on the left only")
        << QRect(500, 30, 524, 400) << QSize(400, 300) << QSize(100, 100) << QRect(95, 60, 400, 300);
    QTest::newRow("beside, room nowhere: over the wider side")
        << QRect(300, 30, 500, 400) << QSize(400, 300) << QSize(100, 100) << QRect(5, 60, 400, 300);
}

void TestShell::placement()
{
    QFETCH(QRect, other);
    QFETCH(QSize, wanted);
    QFETCH(QSize, minimum);
    QFETCH(QRect, expected);
    const QRect available(0, 30, 1024, 570);
    const QMargins frame(5, 30, 5, 5);
    const QRect placed = other.isNull()
                             ? windowfit::place(available, wanted, minimum, frame, available.center())
                             : windowfit::beside(available, other, wanted, minimum, frame);
    QCOMPARE(placed, expected);
    if (placed.size() != minimum)
        QVERIFY(available.contains(placed.marginsAdded(frame)));
}

void TestShell::movedInside_data()
{
    // The same screen and frames as placement(); the window where a window manager left it.
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("on the area: stays") << QRect(100, 100, 400, 300) << QRect(100, 100, 400, 300);
    QTest::newRow("top-left at the screen's centre")
        << QRect(512, 315, 800, 400) << QRect(219, 195, 800, 400);
    QTest::newRow("title bar above the area") << QRect(0, 10, 400, 300) << QRect(5, 60, 400, 300);
    QTest::newRow("frame a pixel below the area") << QRect(5, 296, 400, 300) << QRect(5, 295, 400, 300);
    QTest::newRow("too big: title bar's corner on the area")
        << QRect(-50, 0, 1100, 600) << QRect(5, 60, 1100, 600);
}

void TestShell::movedInside()
{
    QFETCH(QRect, window);
    QFETCH(QRect, expected);
    QCOMPARE(windowfit::moveInside(QRect(0, 30, 1024, 570), window, QMargins(5, 30, 5, 5)), expected);
}

void TestShell::frameBelieved_data()
{
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<bool>("believed");
    QTest::newRow("a title bar and thin borders") << QMargins(1, 22, 1, 5) << true;
    QTest::newRow("no frame (no window manager)") << QMargins() << true;
    QTest::newRow("a tall title bar at twice the scale") << QMargins(2, 44, 2, 8) << true;
    // Measured while the window manager's frame is still 1x1 around a 560x400 window.
    QTest::newRow("a frame still being built") << QMargins(0, 0, -559, -399) << false;
    QTest::newRow("more than a title bar") << QMargins(0, 300, 0, 0) << false;
}

void TestShell::frameBelieved()
{
    QFETCH(QMargins, frame);
    QFETCH(bool, believed);
    QCOMPARE(windowfit::plausibleFrame(frame, 16), believed);
}

VELON_TEST_MAIN(TestShell)
#include "tst_shell.moc"
