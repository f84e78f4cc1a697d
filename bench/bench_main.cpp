// Measures the configurator against the simulated modem at 9600 baud and prints one table: each figure next
// to what the line itself allows (bytes x 10 / 9600 s plus the modem's answer delay), their ratio, and what
// the fixed waits of the original design would give.
#include "app/mainwindow.h"
#include "clifleet.h"
#include "exchangelog/exchangelog.h"
#include "fastfeeder.h"
#include "files/filedialogs.h"
#include "linetime.h"
#include "link/portlist.h"
#include "messageboxwatcher.h"
#include "params/records.h"
#include "sim/simmodem.h"
#include "windowsrows.h"

#include "link/serialport.h"
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include <sys/resource.h>

namespace {

using linetime::lineMs;
using linetime::replyBytes;

constexpr int answerDelayMs = 20;

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

long peakRssKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

struct Row
{
    QString what;
    double measuredMs;
    double limitMs; // 0: not a line figure
    QString original;
    QString note;
};

QVector<Row> rows;

void waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

std::unique_ptr<MainWindow> buildWindow(const QStringList &ports, double *ms)
{
    portlist::setProvider([ports] { return ports; });
    QElapsedTimer t;
    t.start();
    auto w = std::make_unique<MainWindow>();
    *ms = t.nsecsElapsed() / 1e6;
    w->show();
    return w;
}

sim::ParamList setOfAbout(int bytes)
{
    sim::ParamList set = sim::SimModem::defaultParams();
    const qint64 base = replyBytes(set);
    int perUrl = int((bytes - base) / 5) + 10;
    for (auto &kv : set) {
        if (kv.first.startsWith("SETURL") && perUrl > 0) {
            const QStringList f = kv.second.split(',');
            kv.second = "srv." + QString(perUrl - 4, 'a') + "," + f.value(1, "1") + "," + f.value(2, "0");
        }
    }
    return set;
}

// Starts a modem answering after the table's delay, with the given set (its default one if empty).
void startModem(sim::SimModem &modem, const sim::ParamList &set = {})
{
    modem.setAnswerDelayMs(answerDelayMs);
    if (!set.isEmpty())
        modem.setParams(set);
    modem.start();
}

void click(MainWindow &w, const char *button)
{
    w.findChild<QToolButton *>(button)->click();
}

// The exchange log's window open beside the main window, following the traffic, or never opened.
enum class LogWindow { Closed, Open };

QString withLog(const QString &what, LogWindow log)
{
    return log == LogWindow::Open ? what + ", exchange log open" : what;
}

void showLog(MainWindow &w, LogWindow log)
{
    if (log == LogWindow::Open) {
        w.findChild<QAction *>("action_exchangeLog")->trigger();
        QCoreApplication::processEvents();
    }
}

// The answering port's own line time: the probe out, the modem's answer delay, "MODEM_READY;" back.
double probeLineMs()
{
    return lineMs(7 + 12) + answerDelayMs;
}

// silent ports, then the modem, all probed by a fresh window's search.
void benchSearchOn(int silentPorts, bool modemLast, MessageBoxWatcher &boxes)
{
    std::vector<std::unique_ptr<sim::SimModem>> ports;
    QStringList names;
    for (int i = 0; i < silentPorts + (modemLast ? 1 : 0); ++i) {
        ports.push_back(std::make_unique<sim::SimModem>());
        ports.back()->setSilent(i < silentPorts);
        startModem(*ports.back());
        names.append(ports.back()->slavePath());
    }
    boxes.clear();
    double ms = 0;
    auto w = buildWindow(names, &ms);
    const int n = names.size();
    const QString what = modemLast ? QString("search, modem on port %1 of %1").arg(n)
                                   : QString("search, no modem on %1 ports").arg(n);
    QString note = modemLast ? QString() : QString("limit: the probe's 2000 ms");
    if (modemLast && !w->serialPort()->isOpen())
        note = "NOT FOUND";
    rows.append({what, ms, modemLast ? probeLineMs() : 2000 + lineMs(7), QString("%1 ms").arg(2000 * n),
                 note + (note.isEmpty() ? "" : "; ") + "a fresh window, the search included"});
    // The search alone, run again from the menu, where the program has it.
    if (auto *again = w->findChild<QAction *>("action_findModem")) {
        QElapsedTimer t;
        t.start();
        again->trigger();
        rows.append({what + ", again from the menu", t.nsecsElapsed() / 1e6,
                     modemLast ? probeLineMs() : 2000 + lineMs(7), "-", "the search alone"});
    }
}

void benchSearch(MessageBoxWatcher &boxes)
{
    {
        sim::SimModem modem;
        startModem(modem);
        double ms = 0;
        auto w = buildWindow({modem.slavePath()}, &ms);
        rows.append({"search, modem on port 1 of 1", ms, probeLineMs(), "2000 ms",
                     boxes.texts().isEmpty() ? "a fresh window, the search included"
                                             : "messages: " + boxes.texts().join("; ")});
    }
    {
        sim::SimModem silent, modem, third;
        silent.setSilent(true);
        silent.start();
        startModem(modem);
        third.start();
        double ms = 0;
        auto w = buildWindow({silent.slavePath(), modem.slavePath(), third.slavePath()}, &ms);
        rows.append({"search, modem on port 2 of 3", ms, probeLineMs(), "4000 ms",
                     "a fresh window, the search included"});
    }
    benchSearchOn(7, true, boxes);
    benchSearchOn(8, false, boxes);
}

// A window started with no port at all; the modem's port appears 0.5 s later.
void benchAppearing(MessageBoxWatcher &boxes)
{
    auto names = std::make_shared<QStringList>();
    portlist::setProvider([names] { return *names; });
    MainWindow w;
    w.show();
    sim::SimModem modem;
    startModem(modem);
    QElapsedTimer t;
    t.start();
    waitUntil([] { return false; }, 500);
    names->append(modem.slavePath());
    t.restart();
    waitUntil([&] { return w.serialPort()->isOpen(); }, 5000);
    const bool linked = w.serialPort()->isOpen();
    rows.append({"modem appearing 0.5 s after start, linked after", linked ? t.nsecsElapsed() / 1e6 : 5000.0,
                 1000 + probeLineMs(), "never",
                 linked ? "limit: one look at the list a second, then the probe" : "NOT linked within 5 s"});
    boxes.clear();
}

// velon-cli read of the default set: found by the search among eight ports, or with --port.
double benchCliRead(bool search)
{
    std::vector<std::unique_ptr<sim::SimModem>> ports;
    QStringList names;
    for (int i = 0; i < (search ? 8 : 1); ++i) {
        ports.push_back(std::make_unique<sim::SimModem>());
        ports.back()->setSilent(search && i < 7);
        startModem(*ports.back());
        names.append(ports.back()->slavePath());
    }
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELON_PORTS", search ? names.join(QDir::listSeparator()) : QString());
    process.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    process.start(VELON_CLI_PATH, search ? QStringList{"read"} : QStringList{"read", "--port", names.last()});
    process.waitForFinished(60000);
    const double took = t.nsecsElapsed() / 1e6;
    const qint64 bytes = replyBytes(sim::SimModem::defaultParams());
    QString note = "the process's own start included";
    if (process.exitCode() != 0)
        note += ", FAILED: " + QString::fromUtf8(process.readAllStandardError()).trimmed();
    rows.append({search ? "velon-cli read, modem on port 8 of 8" : "velon-cli read --port", took,
                 lineMs(8 + bytes) + answerDelayMs, search ? "16 s" : "-", note});
    return took;
}

// The window asks "IMEI;" before each read and write: "IMEI;" out, the modem's answer delay,
// "IMEI=<15 digits>;" and CR LF back.
double imeiLineMs()
{
    return lineMs(5 + 23) + answerDelayMs;
}

void benchRead(const QString &what, const sim::ParamList &set, MessageBoxWatcher &boxes,
               LogWindow log = LogWindow::Closed)
{
    sim::SimModem modem;
    startModem(modem, set);
    double ms = 0;
    auto w = buildWindow({modem.slavePath()}, &ms);
    showLog(*w, log);
    boxes.clear();
    const qint64 bytes = replyBytes(set);
    QElapsedTimer t;
    t.start();
    click(*w, "toolButton_readModemParams");
    const double took = t.nsecsElapsed() / 1e6;
    const bool whole = w->recordText("SETURL5") == "SETURL5=" + modem.param("SETURL5") + ";";
    QString note = QString("%1 bytes").arg(bytes);
    if (!whole || !boxes.texts().isEmpty())
        note += ", NOT read whole: " + boxes.texts().join("; ");
    rows.append({withLog(what, log), took, imeiLineMs() + lineMs(8 + bytes) + answerDelayMs,
                 bytes > 960 ? "1000 ms, set cut" : "1000 ms", note});
}

// Where the form's values come from before the write: a file (written as they are) or a read of the modem
// (the write first reads its set again to see that it still holds what was read).
enum class Values { FromFile, FromRead };

// The write's time; its line limit is the line time of what went out and came back, the answer delays and
// the quiet spacing after each of the 27 sends.
double benchWrite(MessageBoxWatcher &boxes, Values values, LogWindow log = LogWindow::Closed)
{
    sim::SimModem modem;
    startModem(modem);
    double ms = 0;
    auto w = buildWindow({modem.slavePath()}, &ms);
    showLog(*w, log);
    QTemporaryDir dir;
    if (values == Values::FromRead) {
        click(*w, "toolButton_readModemParams");
    } else {
        const QString file = dir.filePath("set.txt");
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        for (const auto &kv : modem.params())
            f.write((kv.first + "=" + kv.second + ";\n").toUtf8());
        f.close();
        files::FileDialogs dialogs;
        dialogs.openFileName = [file](QWidget *, const QString &, const QString &, const QString &) {
            return file;
        };
        w->setFileDialogs(dialogs);
        click(*w, "toolButton_loadFromFile");
    }
    boxes.clear();
    modem.clearLog();
    QElapsedTimer t;
    t.start();
    click(*w, "toolButton_writeModemParams");
    const double took = t.nsecsElapsed() / 1e6;
    // "IMEI;" and its answer are counted on their own.
    const int readAlls = modem.records().count("READALL;");
    const qint64 out = modem.received().size() - 5;
    const qint64 in = replyBytes(modem.params()) * readAlls;
    QString note = QString("%1 bytes out, %2 back, after \"IMEI;\"").arg(out).arg(in);
    if (!boxes.texts().isEmpty())
        note += ", messages: " + boxes.texts().join("; ");
    if (modem.overrunCount() > 0)
        note += QString(", %1 OVERRUNS").arg(modem.overrunCount());
    const QString what = values == Values::FromRead ? "write with read-back, after a read of the modem"
                                                    : "write with read-back, default set";
    rows.append({withLog(what, log), took,
                 imeiLineMs() + linetime::writeLimitMs(out, in, answerDelayMs, readAlls), "about 1270 ms",
                 note});
    return took;
}

// velon-cli write with read-back of the default set to `count` modems at once, one process each; the time
// from starting the first process to the end of the last.
double benchCliWrite(int count)
{
    std::vector<std::unique_ptr<sim::SimModem>> modems;
    QTemporaryDir dir;
    const QString file = dir.filePath("default.txt");
    {
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        for (const auto &kv : sim::SimModem::defaultParams())
            f.write((kv.first + "=" + kv.second + ";\n").toUtf8());
    }
    for (int i = 0; i < count; ++i) {
        modems.push_back(std::make_unique<sim::SimModem>());
        startModem(*modems.back());
    }
    std::vector<std::unique_ptr<QProcess>> processes;
    QElapsedTimer t;
    t.start();
    for (const auto &modem : modems) {
        processes.push_back(std::make_unique<QProcess>());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VELON_PORTS", QString());
        processes.back()->setProcessEnvironment(env);
        processes.back()->start(VELON_CLI_PATH, {"write", file, "--port", modem->slavePath()});
    }
    QStringList failures;
    for (size_t i = 0; i < processes.size(); ++i) {
        processes[i]->waitForFinished(60000);
        if (processes[i]->exitCode() != 0)
            failures.append(QString::fromUtf8(processes[i]->readAllStandardError()).trimmed());
    }
    const double took = t.nsecsElapsed() / 1e6;
    const qint64 out = modems.front()->received().size();
    const qint64 in = replyBytes(modems.front()->params());
    QString note = QString("%1 bytes out, %2 back; the process's own start included").arg(out).arg(in);
    int overruns = 0;
    for (const auto &modem : modems)
        overruns += modem->overrunCount();
    if (overruns > 0)
        note += QString(", %1 OVERRUNS").arg(overruns);
    if (!failures.isEmpty())
        note += ", FAILED: " + failures.join("; ");
    rows.append({count == 1 ? "velon-cli write with read-back, 1 modem"
                            : QString("velon-cli write with read-back, %1 at once").arg(count),
                 took, linetime::writeLimitMs(out, in, answerDelayMs), "-", note});
    return took;
}

void benchCpu(MessageBoxWatcher &boxes)
{
    portlist::setProvider([] { return QStringList{}; });
    MainWindow w; // no port: the load never touches one
    QTemporaryDir dir;
    // Two sets that differ in every key, loaded in turn, so that every load changes every widget.
    const QString paths[] = {dir.filePath("a.txt"), dir.filePath("b.txt")};
    const QByteArray other =
        "SETCOM=115200,7,E,2,1;SETRS=300,9,O,2,0;SETCAN=600,8,E,2,0;SETSIM1=4321,u,p,apn;"
        "SETSIM2=1111,user2,pass2,apn2;ADMTEL1=+7911;ADMTEL2=+7912;ADMTEL3=+7913;"
        "ADMTEL4=+7914;ADMTEL5=+7915;CSDTEL1=+7921;CSDTEL2=+7922;CSDTEL3=+7923;"
        "CSDTEL4=+7924;CSDTEL5=+7925;SETURL1=a.example,1001,11;SETURL2=b.example,1002,12;"
        "SETURL3=c.example,1003,13;SETURL4=d.example,1004,14;SETURL5=e.example,1005,15;"
        "SETCONF=2,2,1,0,1,0;SETID=1,XYZ;SETLOG=0;SETCSD=0,0,1;PASSET=ABCD;SERVER=1,9000,5,6;";
    {
        QFile a(paths[0]);
        a.open(QIODevice::WriteOnly);
        for (const auto &kv : sim::SimModem::defaultParams())
            a.write((kv.first + "=" + kv.second + ";\n").toUtf8());
        QFile b(paths[1]);
        b.open(QIODevice::WriteOnly);
        b.write(other);
    }
    int turn = 0;
    files::FileDialogs dialogs;
    dialogs.openFileName = [&](QWidget *, const QString &, const QString &, const QString &) {
        return paths[turn++ % 2];
    };
    w.setFileDialogs(dialogs);
    boxes.clear();
    constexpr int rounds = 200;
    const double start = cpuMs();
    for (int i = 0; i < rounds; ++i)
        click(w, "toolButton_loadFromFile");
    const double perSet = (cpuMs() - start) / rounds;
    rows.append(
        {"CPU: load, parse and validate one full set", perSet,
         lineMs(replyBytes(sim::SimModem::defaultParams())), "-",
         "CPU time per set, over " + QString::number(rounds) +
             " loads of two alternating files into a window not shown; limit: the set's own line time" +
             (boxes.texts().isEmpty() ? QString() : ", messages: " + boxes.texts().join("; "))});
}

void benchMemory()
{
    FastFeeder feeder;
    feeder.start();
    double ms = 0;
    auto w = buildWindow({feeder.slavePath()}, &ms);
    const long before = peakRssKb();
    auto *log = w->findChild<QTextBrowser *>("textBrowser");
    const int lines = qEnvironmentVariableIntValue("VELON_BENCH_DEBUG_LINES") > 0
                          ? qEnvironmentVariableIntValue("VELON_BENCH_DEBUG_LINES")
                          : 100000;
    QElapsedTimer t;
    t.start();
    std::thread pourer([&] { feeder.pour(lines, "LAST LINE"); });
    waitUntil([&] { return log->document()->lastBlock().text().contains("LAST LINE"); }, 600000);
    const double took = t.nsecsElapsed() / 1e6;
    pourer.join();
    const long after = peakRssKb();
    rows.append({"peak memory after 100,000 DEBUG lines", after / 1024.0, 0, "unbounded log",
                 QString("peak RSS (%1 MB before the lines); log keeps %2 lines, exchange log %3; %4 lines/s")
                     .arg(before / 1024.0, 0, 'f', 1)
                     .arg(log->document()->blockCount())
                     .arg(w->exchangeLog()->count())
                     .arg(lines / (took / 1000.0), 0, 'f', 0)});
}

QString machine()
{
    QString cpu;
    QFile info("/proc/cpuinfo");
    if (info.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : info.readAll().split('\n')) {
            if (line.startsWith("model name")) {
                cpu = QString::fromUtf8(line.mid(line.indexOf(':') + 1)).trimmed();
                break;
            }
        }
    }
    return QString("%1, %2 cores (%3), %4, Qt %5")
        .arg(cpu.isEmpty() ? QSysInfo::currentCpuArchitecture() : cpu)
        .arg(QThread::idealThreadCount())
        .arg(QSysInfo::currentCpuArchitecture())
        .arg(QSysInfo::prettyProductName())
        .arg(qVersion());
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The configurator's developer diagnostics would drown the table.
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QApplication app(argc, argv);
    // A benchmark has nobody to read messages: the watcher closes them, and a figure measured while the
    // program complained says so in its notes.
    MessageBoxWatcher boxes;

    QElapsedTimer total;
    total.start();
    const auto progress = [&](const char *what) {
        std::fprintf(stderr, "bench: %s (%.1f s)\n", what, total.elapsed() / 1000.0);
    };
    progress("search");
    benchSearch(boxes);
    progress("reads");
    benchRead("read, default set", sim::SimModem::defaultParams(), boxes);
    benchRead("read, default set", sim::SimModem::defaultParams(), boxes, LogWindow::Open);
    benchRead("read, 1500-byte set", setOfAbout(1500), boxes);
    benchRead("read, 3000-byte set", setOfAbout(3000), boxes);
    progress("write");
    const double fromFile = benchWrite(boxes, Values::FromFile);
    benchWrite(boxes, Values::FromFile, LogWindow::Open);
    const double fromRead = benchWrite(boxes, Values::FromRead);
    rows.last().note +=
        QString("; the look at the modem before the write: %1 ms").arg(fromRead - fromFile, 0, 'f', 1);
    progress("appearing");
    benchAppearing(boxes);
    progress("velon-cli");
    const double direct = benchCliRead(false);
    const double searched = benchCliRead(true);
    rows.last().note += QString("; %1 times a read with --port").arg(searched / direct, 0, 'f', 2);
    const double one = benchCliWrite(1);
    const double eight = benchCliWrite(8);
    rows.last().note += QString("; %1 times one").arg(eight / one, 0, 'f', 2);
    progress("velon-cli on a rack");
    for (const clifleet::Figure &f : clifleet::measure(answerDelayMs))
        rows.append({f.what, f.ms, f.lineLimitMs, "-", f.note});
    // VELON_WINDOWS_BUILD names the Windows build whose velon-cli.exe runs under Wine (scripts/bench:
    // build-windows).
    if (qEnvironmentVariableIsSet("VELON_WINDOWS_BUILD")) {
        progress("velon-cli.exe under Wine");
        for (const clifleet::Figure &f :
             windowsrows::measure(qEnvironmentVariable("VELON_WINDOWS_BUILD"), answerDelayMs))
            rows.append({f.what, f.ms, f.lineLimitMs, "-", f.note});
    }
    progress("cpu");
    benchCpu(boxes);
    progress("memory");
    benchMemory();
    progress("done");

    QTextStream out(stdout);
    out << "machine: " << machine() << "\n";
    out << "simulated modem at 9600 baud 8N1 (960 bytes/s), replies in chunks of up to 62 bytes or 16 ms, "
           "answer "
           "delay "
        << answerDelayMs << " ms\n\n";
    out << QString("| %1 | %2 | %3 | %4 | %5 | %6 |\n")
               .arg("what", -52)
               .arg("measured", 10)
               .arg("line limit", 10)
               .arg("ratio", 6)
               .arg("fixed waits", 16)
               .arg("notes");
    out << "|" << QString(54, '-') << "|" << QString(12, '-') << ":|" << QString(11, '-') << ":|"
        << QString(7, '-') << ":|" << QString(18, '-') << "|-------|\n";
    for (const Row &r : rows) {
        const bool memory = r.what.startsWith("peak memory");
        const QString measured = memory ? QString::number(r.measuredMs, 'f', 1) + " MB"
                                        : QString::number(r.measuredMs, 'f', 1) + " ms";
        const QString limit = r.limitMs > 0 ? QString::number(r.limitMs, 'f', 1) + " ms" : "-";
        const double q = r.limitMs > 0 ? r.measuredMs / r.limitMs : 0;
        const QString ratio = r.limitMs <= 0 ? "-"
                              : q < 0.01     ? QString::number(q, 'g', 2)
                                             : QString::number(q, 'f', 2);
        out << QString("| %1 | %2 | %3 | %4 | %5 | %6 |\n")
                   .arg(r.what, -52)
                   .arg(measured, 10)
                   .arg(limit, 10)
                   .arg(ratio, 6)
                   .arg(r.original, 16)
                   .arg(r.note);
    }
    return 0;
}
