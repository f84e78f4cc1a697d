// The configurator itself, unchanged, with a simulated modem on a pseudo-terminal as the only serial port:
// a newcomer without hardware sees the whole cycle (search, read, edit, write with read-back, files,
// commands, debug output) at real line speed.
#include "app/logging.h"
#include "app/mainwindow.h"
#include "link/portlist.h"
#include "sim/simmodem.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Without a display the toolkit would only abort with a terse platform-plugin message.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr,
                     "velon-configurator-demo: no display (DISPLAY and WAYLAND_DISPLAY are unset).\n"
                     "Run it on a desktop, or under a virtual X server:\n"
                     "    xvfb-run -a -s \"-screen 0 1280x800x24\" %s\n",
                     argv[0]);
        return 2;
    }
#endif
    QApplication app(argc, argv);
    logging::applyArguments(app.arguments());

    sim::SimModem modem;
    if (!modem.start()) {
        std::fprintf(stderr, "velon-configurator-demo: cannot start the simulated modem: %s\n",
                     qPrintable(modem.errorString()));
        return 1;
    }
    const QString port = modem.slavePath();
    portlist::setProvider([port] { return QStringList{port}; });

    // A modem at work chats on its debug output now and then.
    const QStringList chatter{"GSM: registered, home network",
                              "GPRS: attach OK",
                              "TCP: connected to telemetry.example.net:8080",
                              "RS232: 128 bytes forwarded",
                              "TCP: keep-alive sent",
                              "SIM1: signal 21"};
    int next = 0;
    QTimer debugTimer;
    QObject::connect(&debugTimer, &QTimer::timeout, [&] {
        modem.sendDebug(chatter.at(next));
        next = (next + 1) % chatter.size();
    });
    debugTimer.start(7000);

    int status = 0;
    {
        MainWindow window;
        window.show();
        status = app.exec();
    }
    return status;
}
