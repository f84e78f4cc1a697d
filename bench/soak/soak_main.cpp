// The soak: velon-cli write cycles and the window's read-edit-write cycles against simulated modems whose
// line or firmware misbehaves in a chosen share of the cycles (sim/faults.h), each outcome judged from what
// the modem stores. Prints one table per program, per fault, and the window's memory.
#include "clicycles.h"
#include "verdict.h"
#include "windowcycles.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTextStream>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <unistd.h>

namespace {

std::atomic<qint64> heartbeat{0};

qint64 nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A cycle that stops the event loop itself cannot be ended by its bound: after three bounds without
// progress the run ends, saying where.
void watchForStall(int hangMs, const std::atomic<int> *where)
{
    std::thread([hangMs, where] {
        for (;;) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            if (nowMs() - heartbeat > 3LL * hangMs) {
                std::fprintf(stderr, "soak: no cycle ended for %d s (at %d); a hang that blocks everything\n",
                             3 * hangMs / 1000, where->load());
                _exit(3);
            }
        }
    }).detach();
}

// --check: the soak's own machinery, not the program's verdicts. Every cycle judged once, and every fault
// of a velon-cli cycle injected (each of its places comes in every write).
bool machineryHolds(const soak::Tally &cli, int cliCycles, const soak::Tally &window, int windowCycles,
                    QTextStream &err)
{
    bool ok = true;
    const soak::Tally::Row c = cli.total();
    const soak::Tally::Row w = window.total();
    int cliJudged = 0, windowJudged = 0;
    for (int i = 0; i < soak::outcomeCount; ++i) {
        cliJudged += c.outcomes[i];
        windowJudged += w.outcomes[i];
    }
    if (c.cycles != cliCycles || cliJudged != cliCycles || w.cycles != windowCycles ||
        windowJudged != windowCycles) {
        err << "check: cycles run or judged do not add up\n";
        ok = false;
    }
    soak::Tally copy = cli;
    for (sim::Fault::Kind kind : sim::faultKinds()) {
        const soak::Tally::Row &r = copy.row(kind);
        if (r.fired != r.cycles) {
            err << "check: " << sim::faultName(kind) << ": " << r.cycles - r.fired
                << " velon-cli cycles without their fault\n";
            ok = false;
        }
    }
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    // The soak's output is its tables; what the toolkit and the program say on the terminal is no outcome.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtFatalMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(text));
            std::abort();
        }
    });
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("velon-cli and window cycles against modems on an imperfect line");
    parser.addHelpOption();
    const QCommandLineOption cliOption("cli", "velon-cli write cycles (1000).", "N", "1000");
    const QCommandLineOption windowOption("window", "window read-edit-write cycles (200).", "N", "200");
    const QCommandLineOption shareOption("share", "share of cycles with a fault, 0 to 1 (0.2).", "F", "0.2");
    const QCommandLineOption seedOption("seed", "seed of the faults and sets (1).", "S", "1");
    const QCommandLineOption lanesOption("lanes", "velon-cli cycles at the same time (8).", "N", "8");
    const QCommandLineOption hangOption("hang-ms", "a cycle longer than this is a hang (60000).", "MS",
                                        "60000");
    const QCommandLineOption quickOption("quick",
                                         "a smoke run: 40 velon-cli and 10 window cycles, half faulty.");
    const QCommandLineOption checkOption("check", "exit 1 when the soak's own bookkeeping fails.");
    parser.addOptions({cliOption, windowOption, shareOption, seedOption, lanesOption, hangOption, quickOption,
                       checkOption});
    parser.process(app);

    const bool quick = parser.isSet(quickOption);
    clicycles::Options cli;
    cli.cycles = parser.isSet(cliOption) || !quick ? parser.value(cliOption).toInt() : 40;
    cli.lanes = parser.value(lanesOption).toInt();
    cli.share = parser.isSet(shareOption) || !quick ? parser.value(shareOption).toDouble() : 0.5;
    cli.seed = parser.value(seedOption).toUInt();
    cli.hangMs = parser.value(hangOption).toInt();
    cli.cliPath = VELON_CLI_PATH;
    windowcycles::Options win;
    win.cycles = parser.isSet(windowOption) || !quick ? parser.value(windowOption).toInt() : 10;
    win.share = cli.share;
    win.seed = cli.seed;
    win.hangMs = cli.hangMs;

    QTextStream out(stdout);
    QTextStream err(stderr);
    std::atomic<int> where{0};
    heartbeat = nowMs();
    watchForStall(cli.hangMs, &where);
    QElapsedTimer clock;
    clock.start();
    const auto progress = [&](const char *what, int total) {
        return [&, what, total](int done) {
            heartbeat = nowMs();
            where = done;
            if (done % 50 == 0 || done == total)
                err << "soak: " << what << " " << done << "/" << total << " (" << clock.elapsed() / 1000
                    << " s)\n";
            err.flush();
        };
    };

    soak::Tally cliTally;
    clicycles::run(cli, cliTally, progress("velon-cli", cli.cycles));
    const qint64 cliMs = clock.elapsed();
    soak::Tally windowTally;
    QVector<windowcycles::Memory> memory;
    windowcycles::run(win, windowTally, &memory, progress("window", win.cycles));
    const qint64 windowMs = clock.elapsed() - cliMs;

    out << QString("seed %1, %2 of the cycles with a fault\n\n").arg(cli.seed).arg(cli.share);
    out << QString("velon-cli write cycles: %1 in %2 s, %3 at a time\n\n")
               .arg(cli.cycles)
               .arg(cliMs / 1000)
               .arg(cli.lanes)
        << cliTally.table(false) << "\n";
    out << QString("window read-edit-write cycles: %1 in %2 s\n\n").arg(win.cycles).arg(windowMs / 1000)
        << windowTally.table(true) << "\n";
    out << "window memory (resident):";
    for (const windowcycles::Memory &m : memory)
        out << QString(" %1 MB after %2 cycles;").arg(m.rssMb, 0, 'f', 1).arg(m.cycle);
    out << "\n";
    out.flush();

    if (parser.isSet(checkOption) && !machineryHolds(cliTally, cli.cycles, windowTally, win.cycles, err))
        return 1;
    return 0;
}
