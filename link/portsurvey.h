#pragma once

#include "link/portopen.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>
#include <vector>

#include "link/serialportfwd.h"

// The search for the modem: every port probed at the same time with "MODEM?;", on the caller's event loop,
// so it takes one probe's time however many ports there are. The window and velon-cli both use it.
namespace portsurvey {

struct Port
{
    QString name;
    portopen::Problem problem = portopen::Problem::None;
    QString errorText;     // the system's words when the port could not be opened for another reason
    bool answered = false; // "MODEM_READY;" arrived within the probe's time
    bool lost = false;     // the port failed while it was probed
    QByteArray reply;      // what the port said meanwhile
};

// Makes the port object a probe works on (the window's report their traffic to its exchange log). An empty
// maker gives a plain SerialPort.
using PortMaker = std::function<std::unique_ptr<SerialPort>()>;

enum class Until {
    EveryVerdict, // each port probed to its own end
    FirstAnswer,  // the first port whose reply completes the answer ends the search
};

// One search. Each port is opened with the modem's line settings, its input cleared, the probe written;
// it has the probe's time from when the probe has left the line. finished() comes once, from the event
// loop, never from start().
class Search : public QObject
{
    Q_OBJECT

public:
    Search(const QStringList &names, Until until, PortMaker maker = {}, QObject *parent = nullptr);
    ~Search() override;

    void start();
    // Ends the probes still running and closes their ports; finished() comes if it had not.
    void stop();
    bool isFinished() const { return ended; }
    const QVector<Port> &ports() const { return verdicts; }
    // The port taken (FirstAnswer): of the ports whose reply was complete when the search ended, the first
    // listed; -1 when none answered.
    int found() const { return taken; }
    // The open port object of a port that answered (FirstAnswer: the one taken; EveryVerdict with
    // keepAnswered: each that answered), handed over as it is: the work goes on on the port the modem
    // answered, never closed and opened again (which would drop DTR and RTS). Null for any other port, or
    // once taken. One not taken closes with the search.
    std::unique_ptr<SerialPort> takePort(int i);
    // EveryVerdict: ports that answer stay open to be taken.
    void setKeepAnswered(bool keep) { keepAnswered = keep; }

signals:
    void finished();

private:
    struct Probe;
    void answered(int i);
    void endProbe(int i);
    void end();

    QVector<Port> verdicts;
    std::vector<std::unique_ptr<Probe>> probes;
    Until until;
    PortMaker maker;
    int running = 0;
    int taken = -1;
    bool ended = false;
    bool sweeping = false;
    bool keepAnswered = false;
};

// Every port probed to its own verdict; returns when all have one. With open given, it gets a port object
// per name: the open one where the modem answered (see Search::takePort), null elsewhere.
QVector<Port> probeAll(const QStringList &names, const PortMaker &maker = {},
                       std::vector<std::unique_ptr<SerialPort>> *open = nullptr);

// The search until the first answer; returns the index of the port taken, or -1. Every port's verdict goes
// to *ports when given, and the taken port's open object to *open.
int find(const QStringList &names, QVector<Port> *ports = nullptr, const PortMaker &maker = {},
         std::unique_ptr<SerialPort> *open = nullptr);

// Whether none of the ports could be opened (an empty list included).
bool noneOpened(const QVector<Port> &ports);

} // namespace portsurvey
