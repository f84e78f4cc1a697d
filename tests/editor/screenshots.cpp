// Renders the main window as it opens, one PNG per tab, and the settings dialog, into the folder given as
// the first argument; with the font of testfont.h.
#include "app/mainwindow.h"
#include "link/portlist.h"
#include "messageboxwatcher.h"
#include "settings/formsettings.h"
#include "testfont.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTextStream>
#include <QTimer>

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
    QTimer::singleShot(500, [&] {
        auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
        auto save = [&](QWidget *w, const QString &name) {
            QApplication::processEvents();
            const QString file = QDir(folder).filePath(name + QStringLiteral(".png"));
            if (w->grab().save(file))
                QTextStream(stdout) << file << '\n';
            else
                ++failures;
        };
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            save(&window, QStringLiteral("%1-%2").arg(i).arg(tabs->widget(i)->objectName()));
        }
        window.settingsWindow()->show();
        save(window.settingsWindow(), QStringLiteral("settings"));
        window.close();
    });
    app.exec();
    for (const QString &text : boxes.texts())
        QTextStream(stdout) << "message: " << text << '\n';
    return failures == 0 ? 0 : 1;
}
