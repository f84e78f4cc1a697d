// Renders the main window as an engineer sees it after a read from the simulated modem (information
// fields queried, a debug line in the log) and saves it as a PNG: the picture of the README.
#include "app/mainwindow.h"
#include "app/windowfit.h"
#include "link/portlist.h"
#include "messageboxwatcher.h"
#include "qtenvironment.h"
#include "sim/simmodem.h"
#include "testfont.h"
#include "windowmanager.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QScreen>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>

#include <cstdio>

static void waitMs(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

int main(int argc, char *argv[])
{
    takeQtEnvironment();
    QApplication app(argc, argv);
    applyTestFont();
    // Framed by the window manager VELON_TEST_WINDOW_MANAGER names, as on a desktop.
    TestWindowManager windowManager;
    const QString manager = windowManager.start();
    if (!manager.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(manager));
        return 1;
    }
    const QStringList args = app.arguments();
    const QString output = args.value(1, "main-window.png");
    const int tab = args.value(2, "1").toInt();

    sim::SimModem modem;
    if (!modem.start()) {
        std::fprintf(stderr, "cannot start the simulated modem: %s\n", qPrintable(modem.errorString()));
        return 1;
    }
    const QString port = modem.slavePath();
    portlist::setProvider([port] { return QStringList{port}; });

    // Nobody is there to read a message; a picture taken over one would be wrong, so say it and fail.
    MessageBoxWatcher boxes;

    MainWindow window;
    window.show();
    window.findChild<QToolButton *>("toolButton_readModemParams")->click();
    auto *command = window.findChild<QLineEdit *>("lineEdit_commandToModem");
    for (const char *query : {"MODEL;", "IMEI;", "OPERATOR;", "PROGVER;", "GSMVER;"}) {
        command->setText(query);
        window.findChild<QToolButton *>("toolButton")->click();
        waitMs(120);
    }
    modem.sendDebug("GPRS: attach OK, session 1");
    waitMs(300);
    window.findChild<QTabWidget *>("tabWidget")->setCurrentIndex(tab);
    waitMs(100);
    while (windowfit::settling(&window))
        waitMs(20);
    if (!boxes.texts().isEmpty()) {
        std::fprintf(stderr, "the window showed messages: %s\n", qPrintable(boxes.texts().join("; ")));
        return 1;
    }
    // VELON_PICTURE_WHOLE_SCREEN=1: the whole screen, to show where and how big the window opened on it.
    const QPixmap picture = qEnvironmentVariableIsSet("VELON_PICTURE_WHOLE_SCREEN")
                                ? window.screen()->grabWindow(0)
                                : window.grab();
    if (!picture.save(output)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    std::printf("%s\n", qPrintable(output));
    return 0;
}
