// velon-cli.exe, the Windows build, under Wine writes what the Linux velon-cli writes for the same commands
// against the same simulated modems: byte for byte, with CR LF line ends, each port under its own name
// (/dev/pts/N here, COMn there). Skipped where there is no Windows build.

#include "clirun.h"
#include "simfixture.h"
#include "testmain.h"
#include "testutil.h"

#include "params/linecodec.h"
#include "sim/remote/comports.h"
#include "sim/simmodem.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace {

struct Result
{
    int status = -1;
    QByteArray out;
    QByteArray err;
    QMap<QString, QByteArray> files; // what the run left in its folder, by relative path
    QString work;                    // that folder
};

// Windows' CR LF made LF, after checking that every line end is one; the run's port names made neutral;
// runs of blanks made one (a table's columns are as wide as its longest port name).
QByteArray comparable(QByteArray bytes, bool windows, const QStringList &ports, const QString &work,
                      QString *problem)
{
    if (windows) {
        if (QRegularExpression("(^|[^\r])\n").match(QString::fromLatin1(bytes)).hasMatch())
            *problem += "a line ends without CR; ";
        bytes.replace("\r\n", "\n");
    }
    bytes.replace(work.toUtf8(), "<work>");
    for (int i = 0; i < ports.size(); ++i)
        bytes.replace(ports.at(i).toUtf8(), "<port " + QByteArray::number(i) + ">");
    return QString::fromUtf8(bytes).replace(QRegularExpression(" {2,}"), " ").toUtf8();
}

} // namespace

class TestCliWindows : public QObject
{
    Q_OBJECT

    QString windowsBuild;
    std::vector<std::unique_ptr<sim::SimModem>> modems;
    std::unique_ptr<sim::ComPorts> comPorts;
    QStringList linuxNames, windowsNames;
    QTemporaryDir inputs;

    void reset(const QString &imeiBase)
    {
        for (size_t i = 0; i < modems.size(); ++i) {
            modems[i]->setParams(sim::SimModem::defaultParams());
            modems[i]->setInfo("IMEI", imeiBase + QString::number(i));
            modems[i]->clearLog();
        }
    }

    Result run(bool windows, QStringList args, int modemCount)
    {
        const QStringList names = (windows ? windowsNames : linuxNames).mid(0, modemCount);
        QTemporaryDir work;
        for (QString &arg : args) {
            for (int i = 0; i < names.size(); ++i)
                arg.replace("PORT" + QString::number(i), names.at(i));
            arg.replace("ALLPORTS", names.join(','));
            arg.replace("INPUT/", inputs.path() + '/');
            arg.replace("WORK/", work.path() + '/');
        }
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VELON_PORTS", names.join(windows ? ";" : ":"));
        process.setProcessEnvironment(env);
        if (windows)
            process.start(windowsBuild + "/wine-run",
                          QStringList{windowsBuild + "/soft/velon-cli.exe"} + args);
        else
            process.start(VELON_CLI_PATH, args);
        process.waitForFinished(120000);
        Result r;
        r.work = work.path();
        r.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        r.out = process.readAllStandardOutput();
        r.err = process.readAllStandardError();
        QDirIterator files(work.path(), QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            r.files.insert(QDir(work.path()).relativeFilePath(path), readBytes(path));
        }
        return r;
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariable("VELON_WINDOWS") == "0")
            QSKIP("the Windows part is left out (VELON_WINDOWS=0)");
        windowsBuild = VELON_WINDOWS_BUILD;
        if (!QFileInfo::exists(windowsBuild + "/soft/velon-cli.exe") ||
            !QFileInfo::exists(windowsBuild + "/wine-run"))
            QSKIP("no Windows build (scripts/setup-windows makes one)");
        // A fresh build has no Wine prefix, so no folder for the COM links, until a program first runs.
        QProcess first;
        first.start(windowsBuild + "/wine-run",
                    QStringList{windowsBuild + "/soft/velon-cli.exe", "--version"});
        QVERIFY(first.waitForFinished(300000));
        QCOMPARE(first.exitCode(), 0);
        QVERIFY(QFileInfo::exists(windowsBuild + "/wine-prefix/dosdevices"));
        comPorts = std::make_unique<sim::ComPorts>(windowsBuild + "/wine-prefix");
        for (int i = 0; i < 4; ++i) {
            modems.push_back(std::make_unique<sim::SimModem>());
            QVERIFY(modems.back()->start());
            linuxNames.append(modems.back()->slavePath());
            windowsNames.append(comPorts->take(modems.back()->slavePath()));
            QVERIFY(!windowsNames.last().isEmpty());
        }
        const sim::ParamList edited = withParam(sim::SimModem::defaultParams(), "ADMTEL3", "+79990001122");
        QStringList texts;
        for (const QString &key : records::paramsKeyList()) {
            for (const auto &kv : edited) {
                if (kv.first == key)
                    texts.append(key + '=' + kv.second + ';');
            }
        }
        QVERIFY(writeBytes(inputs.filePath("set.txt"), paramfile::fileBytes(texts)));
        QVERIFY(writeBytes(inputs.filePath("values.csv"),
                           linecodec::encode("IMEI;SETID\r\n3569380356438090;\"1,Склад-1\"\r\n"
                                             "3569380356438091;1,Склад-2\r\n3569380356438092;1,x\r\n"
                                             "3569380356438093;1,y\r\n")));
        // Wine's own start-up is paid once, before the first row.
        QProcess::execute(windowsBuild + "/wine-run", {windowsBuild + "/soft/velon-cli.exe", "--version"});
    }

    void cleanupTestCase()
    {
        for (const QString &com : windowsNames)
            comPorts->release(com);
    }

    void sameAsLinux_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("modemCount");
        QTest::newRow("read") << QStringList{"read", "--port", "PORT0"} << 1;
        QTest::newRow("read --out") << QStringList{"read", "--port", "PORT0", "--out", "WORK/set.txt"} << 1;
        QTest::newRow("read --json") << QStringList{"read", "--port", "PORT0", "--json"} << 1;
        QTest::newRow("read, found by the search") << QStringList{"read"} << 1;
        QTest::newRow("check") << QStringList{"check", "INPUT/set.txt"} << 0;
        QTest::newRow("check --out") << QStringList{"check", "INPUT/set.txt", "--out", "WORK/checked.txt"}
                                     << 0;
        QTest::newRow("check --values")
            << QStringList{"check", "INPUT/set.txt", "--values", "INPUT/values.csv"} << 0;
        QTest::newRow("diff") << QStringList{"diff", "INPUT/set.txt", "--port", "PORT0"} << 1;
        QTest::newRow("write") << QStringList{"write", "INPUT/set.txt", "--port", "PORT0"} << 1;
        QTest::newRow("write --json")
            << QStringList{"write", "INPUT/set.txt", "--port", "PORT0", "--json"} << 1;
        QTest::newRow("send") << QStringList{"send", "IMEI;", "--port", "PORT0"} << 1;
        QTest::newRow("ports, four modems") << QStringList{"ports"} << 4;
        QTest::newRow("read --all, four modems") << QStringList{"read", "--all", "--out-dir", "WORK/"} << 4;
        QTest::newRow("write --all, four modems") << QStringList{"write", "INPUT/set.txt", "--all"} << 4;
        QTest::newRow("write --all --values --json, four modems")
            << QStringList{"write", "INPUT/set.txt", "--all", "--values", "INPUT/values.csv", "--json"} << 4;
        QTest::newRow("diff --ports, four modems")
            << QStringList{"diff", "INPUT/set.txt", "--ports", "ALLPORTS"} << 4;
    }

    void sameAsLinux()
    {
        QFETCH(QStringList, args);
        QFETCH(int, modemCount);
        reset("356938035643809");
        const Result onLinux = run(false, args, modemCount);
        const QVector<sim::ParamList> linuxSets = [&] {
            QVector<sim::ParamList> sets;
            for (const auto &m : modems)
                sets.append(m->params());
            return sets;
        }();
        reset("356938035643809");
        const Result underWine = run(true, args, modemCount);

        QVERIFY2(underWine.status == onLinux.status,
                 qPrintable(QString("status %1 under Wine, %2 on Linux; under Wine it said:\n%3%4")
                                .arg(underWine.status)
                                .arg(onLinux.status)
                                .arg(QString::fromUtf8(underWine.out), QString::fromUtf8(underWine.err))));
        QString problem;
        QCOMPARE(comparable(underWine.out, true, windowsNames, underWine.work, &problem),
                 comparable(onLinux.out, false, linuxNames, onLinux.work, &problem));
        QCOMPARE(comparable(underWine.err, true, windowsNames, underWine.work, &problem),
                 comparable(onLinux.err, false, linuxNames, onLinux.work, &problem));
        QCOMPARE(underWine.files.keys(), onLinux.files.keys());
        for (const QString &name : onLinux.files.keys())
            QCOMPARE(comparable(underWine.files.value(name), true, windowsNames, underWine.work, &problem),
                     comparable(onLinux.files.value(name), false, linuxNames, onLinux.work, &problem));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        // What the modems were left holding.
        for (size_t i = 0; i < modems.size(); ++i)
            QCOMPARE(modems[i]->params(), linuxSets.at(int(i)));
    }
};

VELON_TEST_MAIN(TestCliWindows)
#include "tst_cliwindows.moc"
