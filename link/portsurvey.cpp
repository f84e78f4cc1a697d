#include "link/portsurvey.h"

#include "link/handshake.h"
#include "link/linepacer.h"
#include "params/linecodec.h"

#include "link/serialport.h"
#include <QEventLoop>
#include <QTimer>

namespace portsurvey {

struct Search::Probe
{
    std::unique_ptr<SerialPort> port;
    QTimer timer;
    bool done = false;
};

Search::Search(const QStringList &names, Until until, PortMaker maker, QObject *parent)
    : QObject(parent), verdicts(names.size()), until(until), maker(std::move(maker))
{
    for (int i = 0; i < names.size(); ++i)
        verdicts[i].name = names.at(i);
}

Search::~Search()
{
    ended = true;
    for (auto &probe : probes) {
        if (probe->port)
            probe->port->disconnect(this);
    }
}

void Search::start()
{
    running = verdicts.size();
    for (int i = 0; i < verdicts.size(); ++i) {
        probes.push_back(std::make_unique<Probe>());
        Probe &probe = *probes.back();
        probe.port = maker ? maker() : std::make_unique<SerialPort>();
        SerialPort *port = probe.port.get();
        handshake::configure(port);
        port->setPortName(verdicts[i].name);
        probe.timer.setSingleShot(true);
        probe.timer.setTimerType(Qt::PreciseTimer);
        connect(&probe.timer, &QTimer::timeout, this, [this, i] { endProbe(i); });
        connect(port, &SerialPort::readyRead, this, [this, i, port] {
            verdicts[i].reply += port->readAll();
            if (!verdicts[i].answered && linecodec::decode(verdicts[i].reply).contains(handshake::answer())) {
                verdicts[i].answered = true;
                answered(i);
            }
        });
        connect(port, &SerialPort::errorOccurred, this, [this, i, port](SerialPort::SerialPortError error) {
            if (!port->isOpen() || probes[size_t(i)]->done ||
                (error != SerialPort::ReadError && error != SerialPort::WriteError &&
                 error != SerialPort::ResourceError))
                return;
            verdicts[i].lost = true;
            // Not inside the port's own notification: closing there pulls its buffers away under it.
            QMetaObject::invokeMethod(
                this, [this, i] { endProbe(i); }, Qt::QueuedConnection);
        });
    }
    for (int i = 0; i < verdicts.size(); ++i) {
        Probe &probe = *probes[size_t(i)];
        SerialPort *port = probe.port.get();
        verdicts[i].problem = portopen::open(port);
        if (verdicts[i].problem != portopen::Problem::None) {
            verdicts[i].errorText = port->errorString();
            probe.timer.start(0);
            continue;
        }
        // Only what the port holds from before; nothing this program sends is ever thrown away.
        port->clear(SerialPort::Input);
        const qint64 count = port->write(linecodec::encode(handshake::probe()));
        port->flush();
        // The probe's time starts when the probe has left the line.
        LinePacer pacer;
        pacer.handedOver(qMax<qint64>(count, 0));
        probe.timer.start(pacer.msUntilLeft() + handshake::probeWaitMs);
    }
    if (verdicts.isEmpty())
        QMetaObject::invokeMethod(
            this, [this] { end(); }, Qt::QueuedConnection);
}

void Search::answered(int i)
{
    if (until == Until::EveryVerdict) {
        endProbe(i);
        return;
    }
    if (sweeping || ended)
        return;
    // Replies already in the other ports count as having come in the same moment: the first listed wins.
    sweeping = true;
    for (size_t j = 0; j < probes.size(); ++j) {
        Probe &other = *probes[j];
        if (int(j) != i && !other.done && other.port->isOpen() && !verdicts[int(j)].answered)
            other.port->waitForReadyRead(0);
    }
    sweeping = false;
    for (int j = 0; j < verdicts.size(); ++j) {
        if (verdicts[j].answered) {
            taken = j;
            break;
        }
    }
    end();
}

void Search::endProbe(int i)
{
    Probe &probe = *probes[size_t(i)];
    if (probe.done)
        return;
    probe.done = true;
    probe.timer.stop();
    if (!(keepAnswered && verdicts[i].answered && !verdicts[i].lost))
        probe.port->close();
    if (--running == 0 && !ended)
        end();
}

std::unique_ptr<SerialPort> Search::takePort(int i)
{
    if (i < 0 || size_t(i) >= probes.size() || !verdicts[i].answered || verdicts[i].lost)
        return {};
    Probe &probe = *probes[size_t(i)];
    if (!probe.port || !probe.port->isOpen())
        return {};
    probe.port->disconnect(this);
    return std::move(probe.port);
}

void Search::stop()
{
    if (!ended)
        end();
}

void Search::end()
{
    ended = true;
    for (size_t i = 0; i < probes.size(); ++i) {
        Probe &probe = *probes[i];
        if (probe.done)
            continue;
        probe.done = true;
        probe.timer.stop();
        // The port taken stays open for the work.
        if (int(i) != taken)
            probe.port->close();
    }
    running = 0;
    emit finished();
}

namespace {

QVector<Port> run(const QStringList &names, Until until, const PortMaker &maker, int *taken,
                  std::vector<std::unique_ptr<SerialPort>> *open)
{
    Search search(names, until, maker);
    search.setKeepAnswered(open != nullptr);
    QEventLoop loop;
    QObject::connect(&search, &Search::finished, &loop, &QEventLoop::quit);
    search.start();
    if (!search.isFinished())
        loop.exec();
    if (taken)
        *taken = search.found();
    if (open) {
        open->clear();
        for (int i = 0; i < names.size(); ++i)
            open->push_back(search.takePort(i));
    }
    return search.ports();
}

} // namespace

QVector<Port> probeAll(const QStringList &names, const PortMaker &maker,
                       std::vector<std::unique_ptr<SerialPort>> *open)
{
    return run(names, Until::EveryVerdict, maker, nullptr, open);
}

int find(const QStringList &names, QVector<Port> *ports, const PortMaker &maker,
         std::unique_ptr<SerialPort> *open)
{
    int taken = -1;
    std::vector<std::unique_ptr<SerialPort>> kept;
    const QVector<Port> verdicts = run(names, Until::FirstAnswer, maker, &taken, open ? &kept : nullptr);
    if (ports)
        *ports = verdicts;
    if (open && taken >= 0)
        *open = std::move(kept[size_t(taken)]);
    return taken;
}

bool noneOpened(const QVector<Port> &ports)
{
    for (const Port &port : ports) {
        if (port.problem == portopen::Problem::None)
            return false;
    }
    return true;
}

} // namespace portsurvey
