#include "simfixture.h"

#include "app/mainwindow.h"
#include "link/portlist.h"

#include <QElapsedTimer>
#include <QTest>

#ifdef Q_OS_WIN
#include "sim/remote/standins.h"
#endif

SimFixture::SimFixture() : watcher(std::make_unique<MessageBoxWatcher>()) {}

SimFixture::~SimFixture()
{
    destroyWindow();
    holders.clear();
    busyModems.clear();
    modems.clear();
    portlist::setProvider({});
}

sim::SimModem *SimFixture::addModem()
{
    auto modem = std::make_unique<sim::SimModem>();
    if (!modem->start())
        qFatal("cannot start a simulated modem: %s", qPrintable(modem->errorString()));
    names.append(modem->slavePath());
    modems.push_back(std::move(modem));
    return modems.back().get();
}

sim::SimModem *SimFixture::addSilentPort()
{
    sim::SimModem *modem = addModem();
    modem->setSilent(true);
    return modem;
}

QString SimFixture::addMissingPort()
{
#ifdef Q_OS_WIN
    const QString path = sim::remote::missingPort();
#else
    const QString path = QString("/dev/velon-missing-%1").arg(names.size());
#endif
    names.append(path);
    return path;
}

QString SimFixture::addBusyPort()
{
#ifdef Q_OS_WIN
    names.append(sim::remote::busyPort());
    return names.last();
#endif
    auto modem = std::make_unique<sim::SimModem>();
    if (!modem->start())
        qFatal("cannot start a simulated modem: %s", qPrintable(modem->errorString()));
    auto holder = std::make_unique<SerialPort>(modem->slavePath());
    if (!holder->open(QIODevice::ReadWrite))
        qFatal("cannot hold the busy port open: %s", qPrintable(holder->errorString()));
    names.append(modem->slavePath());
    busyModems.push_back(std::move(modem));
    holders.push_back(std::move(holder));
    return names.last();
}

MainWindow *SimFixture::startWindow()
{
    // The list as it stands at each look: a port added later appears in it.
    portlist::setProvider([this] { return names; });
    QElapsedTimer clock;
    clock.start();
    win = std::make_unique<MainWindow>();
    constructionMs = clock.elapsed();
    win->show();
    return win.get();
}

void SimFixture::destroyWindow()
{
    if (win) {
        win->close();
        win.reset();
    }
}
