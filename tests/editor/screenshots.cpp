// Renders the main window as it opens, one PNG per tab, the settings dialog, and the exchange log after a
// write to the simulated modem, into the folder given as the first argument; with the font of testfont.h.
#include "app/mainwindow.h"
#include "exchangelog/exchangelogwindow.h"
#include "link/delay.h"
#include "link/portlist.h"
#include "messageboxwatcher.h"
#include "settings/formsettings.h"
#include "sim/simmodem.h"
#include "testfont.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTabWidget>
#include <QTextStream>
#include <QTimer>
#include <QToolButton>

// The editing handlers' debug lines are of no use here.
static void quietDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg)
        QTextStream(stderr) << message << '\n';
}

int main(int argc, char *argv[])
{
    qInstallMessageHandler(quietDebug);
    QApplication app(argc, argv);
    QTextStream(stdout) << "font: " << applyTestFont() << '\n';
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("build/screenshots");
    if (!QDir().mkpath(folder)) {
        QTextStream(stderr) << "cannot create " << folder << '\n';
        return 1;
    }

    // No serial port: the search shows its message, which the watcher presses away.
    portlist::setProvider([] { return QStringList{}; });
    MessageBoxWatcher boxes;
    MainWindow window;
    window.show();

    int failures = 0;
    auto save = [&](QWidget *w, const QString &name) {
        QApplication::processEvents();
        const QString file = QDir(folder).filePath(name + QStringLiteral(".png"));
        if (w->grab().save(file))
            QTextStream(stdout) << file << '\n';
        else
            ++failures;
    };
    QTimer::singleShot(500, [&] {
        auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            save(&window, QStringLiteral("%1-%2").arg(i).arg(tabs->widget(i)->objectName()));
        }
        window.settingsWindow()->show();
        save(window.settingsWindow(), QStringLiteral("settings"));
        window.close();
    });
    app.exec();

    // The exchange log after a read, a write and a typed command against the simulated modem.
    sim::SimModem modem;
    if (!modem.start()) {
        QTextStream(stderr) << "cannot start the simulated modem: " << modem.errorString() << '\n';
        return 1;
    }
    modem.setReply("AT;", "OK;\r\n");
    const QString modemPort = modem.slavePath();
    portlist::setProvider([modemPort] { return QStringList{modemPort}; });
    MainWindow talking;
    talking.show();
    talking.findChild<QAction *>(QStringLiteral("action_exchangeLog"))->trigger();
    talking.exchangeLogWindow()->resize(900, 640);
    talking.findChild<QToolButton *>(QStringLiteral("toolButton_readModemParams"))->click();
    talking.findChild<QToolButton *>(QStringLiteral("toolButton_writeModemParams"))->click();
    talking.findChild<QLineEdit *>(QStringLiteral("lineEdit_commandToModem"))->setText(QStringLiteral("AT;"));
    talking.findChild<QToolButton *>(QStringLiteral("toolButton"))->click();
    delayMs(300);
    save(talking.exchangeLogWindow(), QStringLiteral("exchange-log"));
    talking.close();

    for (const QString &text : boxes.texts())
        QTextStream(stdout) << "message: " << text << '\n';
    return failures == 0 ? 0 : 1;
}
