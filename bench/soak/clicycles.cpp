#include "clicycles.h"

#include "soaksets.h"

#include "params/records.h"
#include "sim/simmodem.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

namespace clicycles {

sim::FaultSites sites()
{
    sim::FaultSites s;
    s.replies.append(sim::FaultSite{"READALL;", "WRITEALL;"});
    for (const QString &key : records::sendingOrder())
        s.records.append(sim::FaultSite{(key + "=").toLatin1(), QByteArray()});
    s.records.append(sim::FaultSite{"WRITEALL;", QByteArray()});
    s.records.append(sim::FaultSite{"READALL;", "WRITEALL;"});
    return s;
}

namespace {

// One modem and the velon-cli process writing to it, one cycle after another. A modem that was unplugged
// is plugged in again (a new one holding its set) before the next cycle.
class Lane
{
public:
    // nextCycle(whether a cycle just ended): the next cycle's number, -1 when none is left.
    Lane(const Options &options, const QString &file, soak::Tally &tally, std::function<int(bool)> nextCycle,
         std::function<void()> ended)
        : options(options), file(file), tally(tally), nextCycle(std::move(nextCycle)), ended(std::move(ended))
    {
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [this] { step(); });
        hang.setSingleShot(true);
        QObject::connect(&hang, &QTimer::timeout, [this] {
            hung = true;
            process->kill();
        });
    }

    void start() { begin(false); }

private:
    enum class State { Settling, Running, Ending };

    void plugIn()
    {
        const sim::ParamList held = modem ? modem->params() : sim::SimModem::defaultParams();
        modem = std::make_unique<sim::SimModem>();
        if (!modem->start())
            qFatal("cannot start a simulated modem: %s", qPrintable(modem->errorString()));
        modem->setParams(held);
    }

    void begin(bool afterCycle)
    {
        cycle = nextCycle(afterCycle);
        if (cycle < 0) {
            ended();
            return;
        }
        if (!modem || modem->isHungUp())
            plugIn();
        state = State::Settling;
        waited = 0;
        poll.start();
    }

    // Before a cycle: whatever the last one left on the line has gone. After one: the same, then the verdict.
    void step()
    {
        if (!modem->isOutputIdle() && ++waited < 1000)
            return;
        poll.stop();
        if (state == State::Settling)
            launch();
        else
            judge();
    }

    void launch()
    {
        std::seed_seq seq{options.seed, quint32(cycle), 0xc11u};
        std::mt19937 rng(seq);
        const sim::ParamList base = soaksets::randomSet(rng);
        written = soaksets::withChanges(base, std::uniform_int_distribution<int>(3, 8)(rng), rng);
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(soaksets::fileText(written)) < 0)
            qFatal("cannot write %s", qPrintable(file));
        f.close();
        modem->setParams(base);
        modem->clearLog();
        fault = sim::pickFault(options.seed, cycle, options.share, sites());
        modem->setFault(fault);
        hung = false;
        process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VELON_PORTS", QString());
        process->setProcessEnvironment(env);
        QObject::connect(process.get(), QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished),
                         [this](int, QProcess::ExitStatus) {
                             hang.stop();
                             state = State::Ending;
                             waited = 0;
                             poll.start();
                         });
        state = State::Running;
        hang.start(options.hangMs);
        process->start(options.cliPath, {"write", file, "--port", modem->slavePath()});
    }

    void judge()
    {
        const QString said = QString::fromUtf8(process->readAllStandardError());
        const soak::Claim claim =
            soak::cliClaim(hung, process->exitStatus() != QProcess::NormalExit, process->exitCode(), said);
        const soak::Outcome outcome =
            soak::classify(soaksets::toMap(written), soaksets::toMap(modem->params()), claim);
        tally.add(fault.kind, !modem->faultEvents().isEmpty(), outcome);
        if (qEnvironmentVariableIsSet("VELON_SOAK_VERBOSE")) {
            QStringList notes{QString("status %1").arg(process->exitCode())};
            for (const QString &line : said.split('\n', Qt::SkipEmptyParts))
                notes.append("said: " + line);
            soak::describeCycle("velon-cli", cycle, fault, modem->faultEvents(), soaksets::toMap(written),
                                soaksets::toMap(modem->params()), outcome, notes);
        }
        process.reset();
        begin(true);
    }

    const Options &options;
    const QString file;
    soak::Tally &tally;
    std::function<int(bool)> nextCycle;
    std::function<void()> ended;
    std::unique_ptr<sim::SimModem> modem;
    std::unique_ptr<QProcess> process;
    QTimer poll, hang;
    State state = State::Settling;
    int cycle = -1;
    int waited = 0;
    bool hung = false;
    sim::Fault fault;
    sim::ParamList written;
};

} // namespace

void run(const Options &options, soak::Tally &tally, const std::function<void(int)> &progress)
{
    QTemporaryDir dir;
    QEventLoop loop;
    int next = 0, done = 0, running = 0;
    std::vector<std::unique_ptr<Lane>> lanes;
    const auto nextCycle = [&](bool afterCycle) -> int {
        if (afterCycle)
            progress(++done);
        return next < options.cycles ? next++ : -1;
    };
    for (int i = 0; i < qMax(1, options.lanes); ++i) {
        ++running;
        lanes.push_back(std::make_unique<Lane>(options, dir.filePath(QString("lane%1.txt").arg(i)), tally,
                                               nextCycle, [&] {
                                                   if (--running == 0)
                                                       loop.quit();
                                               }));
    }
    for (auto &lane : lanes)
        lane->start();
    if (running > 0)
        loop.exec();
}

} // namespace clicycles
