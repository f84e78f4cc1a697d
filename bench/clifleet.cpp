#include "clifleet.h"
#include "linetime.h"

#include "sim/simmodem.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <vector>

namespace clifleet {

namespace {

using linetime::lineMs;
using linetime::replyBytes;

struct Rack
{
    std::vector<std::unique_ptr<sim::SimModem>> modems;
    QStringList paths;

    Rack(int count, int silent, int answerDelayMs)
    {
        for (int i = 0; i < count + silent; ++i) {
            modems.push_back(std::make_unique<sim::SimModem>());
            modems.back()->setAnswerDelayMs(answerDelayMs);
            modems.back()->setSilent(i >= count);
            modems.back()->setInfo("IMEI", QString("8600000000%1").arg(i, 5, 10, QChar('0')));
            modems.back()->start();
            paths.append(modems.back()->slavePath());
        }
    }
    int overruns() const
    {
        int n = 0;
        for (const auto &m : modems)
            n += m->overrunCount();
        return n;
    }
};

double run(const QStringList &args, const QStringList &ports, QString *note)
{
    return runTimed(QStringList{VELON_CLI_PATH} + args, ports, note);
}

} // namespace

double runTimed(const QStringList &command, const QStringList &ports, QString *note)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELON_PORTS", ports.join(QDir::listSeparator()));
    process.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    process.start(command.first(), command.mid(1));
    process.waitForFinished(120000);
    const double ms = t.nsecsElapsed() / 1e6;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        *note += QString(", FAILED (%1): %2")
                     .arg(process.exitCode())
                     .arg(QString::fromUtf8(process.readAllStandardError()).trimmed().left(200));
    return ms;
}

void writeSetFile(const QString &path, const sim::ParamList &set)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    for (const auto &kv : set)
        f.write((kv.first + "=" + kv.second + ";\n").toUtf8());
}

QVector<Figure> measure(int answerDelayMs)
{
    QVector<Figure> figures;
    QTemporaryDir dir;
    const QString file = dir.filePath("default.txt");
    const sim::ParamList set = sim::SimModem::defaultParams();
    writeSetFile(file, set);
    const qint64 in = replyBytes(set);
    const double readLimit = lineMs(8 + in) + answerDelayMs;

    // The writes: one modem by --port and by --all (which adds the search and the IMEI), then 32 at once,
    // side by side.
    QString oneNote, oneAllNote, allNote;
    Rack one(1, 0, answerDelayMs);
    const double oneWrite = run({"write", file, "--port", one.paths.first()}, {}, &oneNote);
    const qint64 out = one.modems.front()->received().size();
    const double writeLimit = linetime::writeLimitMs(out, in, answerDelayMs);
    const double oneAllWrite = run({"write", file, "--all"}, one.paths, &oneAllNote);
    Rack rack(32, 0, answerDelayMs);
    const double allWrite = run({"write", file, "--all"}, rack.paths, &allNote);
    if (rack.overruns() > 0)
        allNote += QString(", %1 OVERRUNS").arg(rack.overruns());
    figures.append({"velon-cli write, 1 modem (--port)", oneWrite, writeLimit,
                    "the process's start included" + oneNote});
    figures.append(
        {"velon-cli write --all, 1 modem", oneAllWrite, writeLimit, "search and IMEI included" + oneAllNote});
    figures.append({"velon-cli write --all, 32 modems", allWrite, writeLimit,
                    QString("%1 times one by --all, %2 times one by --port")
                            .arg(allWrite / oneAllWrite, 0, 'f', 2)
                            .arg(allWrite / oneWrite, 0, 'f', 2) +
                        allNote});

    // The survey: 31 silent ports and one modem, each silent port owed its full 2000 ms.
    QString portsNote;
    Rack ports(1, 31, answerDelayMs);
    const double survey = run({"ports"}, ports.paths, &portsNote);
    figures.append(
        {"velon-cli ports, 32 ports, 1 modem", survey, 2000 + lineMs(7), "at most 2200 ms" + portsNote});

    // The reads: one by --port and by --all, then 8 at once into a folder.
    QString readNote, oneAllReadNote, eightNote;
    QDir(dir.path()).mkdir("one");
    QDir(dir.path()).mkdir("eight");
    const double oneRead =
        run({"read", "--port", one.paths.first(), "--out", dir.filePath("one.txt")}, {}, &readNote);
    const double oneAllRead =
        run({"read", "--all", "--out-dir", dir.filePath("one")}, one.paths, &oneAllReadNote);
    Rack eight(8, 0, answerDelayMs);
    const double eightRead =
        run({"read", "--all", "--out-dir", dir.filePath("eight")}, eight.paths, &eightNote);
    figures.append(
        {"velon-cli read, 1 modem (--port)", oneRead, readLimit, "the process's start included" + readNote});
    figures.append({"velon-cli read --all, 1 modem", oneAllRead, readLimit,
                    "search and IMEI included" + oneAllReadNote});
    figures.append({"velon-cli read --all, 8 modems", eightRead, readLimit,
                    QString("%1 times one by --all, %2 times one by --port")
                            .arg(eightRead / oneAllRead, 0, 'f', 2)
                            .arg(eightRead / oneRead, 0, 'f', 2) +
                        eightNote});

    // The same eight written with and without a values table, alternately, three times each: the medians.
    const QString values = dir.filePath("values.csv");
    {
        QFile f(values);
        f.open(QIODevice::WriteOnly);
        f.write("IMEI,SETID,ADMTEL1\n");
        for (int i = 0; i < 8; ++i)
            f.write(QString("8600000000%1,\"1,Склад-%2\",+7999000000%2\n")
                        .arg(i, 5, 10, QChar('0'))
                        .arg(i)
                        .toUtf8());
    }
    QVector<double> plain, withValues;
    QString plainNote, valuesNote;
    for (int k = 0; k < 3; ++k) {
        plain.append(run({"write", file, "--all"}, eight.paths, &plainNote));
        withValues.append(run({"write", file, "--all", "--values", values}, eight.paths, &valuesNote));
    }
    std::sort(plain.begin(), plain.end());
    std::sort(withValues.begin(), withValues.end());
    figures.append({"velon-cli write --all, 8 modems", plain[1], writeLimit, "median of 3" + plainNote});
    figures.append({"velon-cli write --all --values, 8 modems", withValues[1], writeLimit,
                    QString("median of 3, alternating with the row above; %1 times it")
                            .arg(withValues[1] / plain[1], 0, 'f', 3) +
                        valuesNote});
    return figures;
}

} // namespace clifleet
