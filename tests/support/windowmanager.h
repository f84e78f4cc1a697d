#pragma once

#include "app/windowframe.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <QWidget>
#include <QWindow>

// The window manager of a run that opens windows as a desktop does: the command in
// VELON_TEST_WINDOW_MANAGER (for example "openbox --sm-disable"), started on the run's X display. It counts
// as running once it has framed a window of ours; it ends with the run.
class TestWindowManager
{
public:
    // Nothing to do without the variable. Otherwise an empty text once it runs, else why not.
    QString start()
    {
        const QStringList command = QProcess::splitCommand(qEnvironmentVariable("VELON_TEST_WINDOW_MANAGER"));
        if (command.isEmpty())
            return QString();
        process.setProgram(command.first());
        process.setArguments(command.mid(1));
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start();
        if (!process.waitForStarted())
            return QStringLiteral("%1 does not start: %2").arg(command.first(), process.errorString());
        QWidget probe;
        probe.resize(100, 100);
        probe.show();
        // Generous: the machine may be busy; a window manager that is there frames the probe at once.
        const QDeadlineTimer deadline(60000);
        const auto framed = [&probe] { return windowframe::reported(probe.windowHandle()).has_value(); };
        QEventLoop loop;
        QTimer look;
        int looks = 0;
        QObject::connect(&look, &QTimer::timeout, &loop, [&] {
            if (framed() || process.state() != QProcess::Running || deadline.hasExpired()) {
                loop.quit();
            } else if (++looks % 25 == 0 && !probe.windowHandle()->isExposed()) {
                // Starting, a window manager may take the probe's map request and drop it: asked again.
                probe.hide();
                probe.show();
            }
        });
        look.start(20);
        loop.exec();
        if (framed())
            return QString();
        return QStringLiteral("%1 framed no window: %2")
            .arg(command.first(), QString::fromLocal8Bit(process.readAll()));
    }

    ~TestWindowManager()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished())
            process.kill();
        process.waitForFinished();
    }

private:
    QProcess process;
};
