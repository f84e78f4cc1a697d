// Renders the main window as it opens, one PNG per tab, into the folder given as the first argument.
#include "app/mainwindow.h"
#include "link/portlist.h"
#include "messageboxwatcher.h"

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
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            QApplication::processEvents();
            const QString file =
                QDir(folder).filePath(QStringLiteral("%1-%2.png").arg(i).arg(tabs->widget(i)->objectName()));
            if (window.grab().save(file))
                QTextStream(stdout) << file << '\n';
            else
                ++failures;
        }
        window.close();
    });
    app.exec();
    for (const QString &text : boxes.texts())
        QTextStream(stdout) << "message: " << text << '\n';
    return failures == 0 ? 0 : 1;
}
