#include "windowsrows.h"
#include "linetime.h"

#include "sim/remote/comports.h"
#include "sim/simmodem.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>

namespace windowsrows {

namespace {

using linetime::lineMs;
using linetime::replyBytes;

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

double run(const QStringList &command, QString *note)
{
    return clifleet::runTimed(command, {}, note);
}

} // namespace

QVector<clifleet::Figure> measure(const QString &windowsBuild, int answerDelayMs)
{
    const QString wineRun = windowsBuild + "/wine-run";
    const QString exe = windowsBuild + "/soft/velon-cli.exe";
    if (!QFileInfo::exists(wineRun) || !QFileInfo::exists(exe))
        return {};
    QTemporaryDir dir;
    const QString file = dir.filePath("default.txt");
    const sim::ParamList set = sim::SimModem::defaultParams();
    clifleet::writeSetFile(file, set);
    sim::SimModem modem;
    modem.setAnswerDelayMs(answerDelayMs);
    modem.start();
    QString note;
    // Wine's own start-up (its server, its services) is paid once, as on a desktop where Wine already runs;
    // it also makes a fresh build's prefix, where the COM links go.
    run({wineRun, exe, "--version"}, &note);
    sim::ComPorts ports(windowsBuild + "/wine-prefix");
    const QString com = ports.take(modem.slavePath());

    const auto side = [&](const QStringList &args, const QString &what, double limit) {
        QVector<double> onLinux, underWine;
        QString linuxNote, windowsNote;
        // Alternating, so that the machine's moods fall on both alike; the median of three each.
        for (int i = 0; i < 3; ++i) {
            onLinux.append(
                run(QStringList{VELON_CLI_PATH} + args + QStringList{modem.slavePath()}, &linuxNote));
            underWine.append(run(QStringList{wineRun, exe} + args + QStringList{com}, &windowsNote));
        }
        const double l = median(onLinux);
        const double w = median(underWine);
        return QVector<clifleet::Figure>{
            {"velon-cli " + what + " (Linux, beside the row below)", l, limit,
             "median of 3; the process's start included" + linuxNote},
            {"velon-cli.exe " + what + " under Wine", w, limit,
             QString("median of 3, alternating with the row above: %1 times it%2")
                 .arg(w / l, 0, 'f', 2)
                 .arg(windowsNote)}};
    };
    const qint64 in = replyBytes(set);
    QVector<clifleet::Figure> figures = side({"read", "--out", dir.filePath("read.txt"), "--port"},
                                             "read --port", lineMs(8 + in) + answerDelayMs);
    modem.clearLog();
    run({VELON_CLI_PATH, "write", file, "--port", modem.slavePath()}, &note);
    const qint64 sent = modem.received().size();
    figures +=
        side({"write", file, "--port"}, "write --port", linetime::writeLimitMs(sent, in, answerDelayMs));
    ports.release(com);
    return figures;
}

} // namespace windowsrows
