#pragma once

#include "messageboxwatcher.h"
#include "sim/simmodem.h"

#include "link/serialport.h"
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class MainWindow;

// Serial ports for tests of the real main window, all on pseudo-terminals or paths that cannot be opened.
// Add the ports in the order the platform would list them, then startWindow(): it installs them as the
// port list (the link's one hook; a port added afterwards appears in it), builds and shows a MainWindow while
// a MessageBoxWatcher presses the boxes of the search. The destructor destroys the window first (so the modem
// sees "DEBUG=L0;"), then the ports, and restores the default port list.
//
//     SimFixture f;
//     sim::SimModem *modem = f.addModem();
//     MainWindow *w = f.startWindow();
//     QCOMPARE(f.boxes().texts(), QStringList());
class SimFixture
{
public:
    SimFixture();
    ~SimFixture();
    SimFixture(const SimFixture &) = delete;
    SimFixture &operator=(const SimFixture &) = delete;

    // A running simulated modem (default set, 20 ms answer delay); configure it before startWindow().
    sim::SimModem *addModem();
    // A pseudo-terminal on which nothing ever answers (a simulated modem set silent).
    sim::SimModem *addSilentPort();
    // A path that cannot be opened: no such device.
    QString addMissingPort();
    // A pseudo-terminal that is already open elsewhere, so opening it fails.
    QString addBusyPort();

    QStringList portNames() const { return names; }
    sim::SimModem *modem(int i) const { return modems.at(size_t(i)).get(); }

    // Installs the port list and builds the window; searchMs() is how long the construction took.
    MainWindow *startWindow();
    MainWindow *window() const { return win.get(); }
    // Destroys the window (its destructor sends the shutdown record).
    void destroyWindow();
    qint64 searchMs() const { return constructionMs; }
    MessageBoxWatcher &boxes() { return *watcher; }

private:
    std::vector<std::unique_ptr<sim::SimModem>> modems;
    std::vector<std::unique_ptr<sim::SimModem>> busyModems;
    std::vector<std::unique_ptr<SerialPort>> holders;
    QStringList names;
    std::unique_ptr<MessageBoxWatcher> watcher;
    std::unique_ptr<MainWindow> win;
    qint64 constructionMs = -1;
};

// The set with the value of one key replaced.
inline sim::ParamList withParam(sim::ParamList params, const QString &key, const QString &value)
{
    for (auto &kv : params) {
        if (kv.first == key)
            kv.second = value;
    }
    return params;
}
