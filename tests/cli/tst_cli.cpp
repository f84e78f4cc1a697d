// velon-cli as a user runs it: the real executable against simulated modems on pseudo-terminals, its
// output, its messages and its exit status.

#include "clirun.h"
#include "simfixture.h"
#include "testmain.h"
#include "testutil.h"

#include "link/writeplan.h"
#include "params/linecodec.h"

#include <QSerialPort>
#include <QTemporaryDir>

#include <QScopeGuard>

#include <algorithm>
#include <atomic>
#include <thread>

#include <pty.h>
#include <unistd.h>

namespace {

// The set's records in the file's order.
QStringList recordsOf(const sim::ParamList &params)
{
    QStringList texts;
    for (const QString &key : records::paramsKeyList()) {
        for (const auto &p : params) {
            if (p.first == key)
                texts.append(key + '=' + p.second + ';');
        }
    }
    return texts;
}

QByteArray fileOf(const sim::ParamList &params)
{
    return paramfile::fileBytes(recordsOf(params));
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

    // One port of each kind, shared by the tests. The modem holds an interval of 5 minutes, which the window
    // would lift to 10.
    std::unique_ptr<SimFixture> f;
    sim::SimModem *modem = nullptr;
    QString silent, missing, busy;
    const sim::ParamList modemSet =
        withParam(sim::SimModem::defaultParams(), "SETURL2", "example.net,8080,5");
    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        f = std::make_unique<SimFixture>();
        modem = f->addModem();
        modem->setParams(modemSet);
        modem->setInfo("IMEI", "356938035643809");
        silent = f->addSilentPort()->slavePath();
        missing = f->addMissingPort();
        busy = f->addBusyPort();
        // set.txt differs from the modem in ADMTEL3, and in SETURL2 only by the lift.
        QVERIFY(writeBytes(dir.filePath("set.txt"), fileOf(withParam(modemSet, "ADMTEL3", "+79990001122"))));
        QVERIFY(writeBytes(dir.filePath("bad.txt"), fileOf(withParam(modemSet, "SETLOG", "2"))));
    }
    void cleanupTestCase() { f.reset(); }

    // "out" is what reaches standard output, or the file that --out names (null: not written).
    void commands_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("ports"); // VELON_PORTS
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QStringList>("err");
        QTest::addColumn<QByteArrayList>("modemGot");
        const auto row = [](const char *name, const QStringList &args, const QStringList &ports, int status,
                            const QByteArray &out, const QStringList &err, const QByteArrayList &got) {
            QTest::newRow(name) << args << ports << status << out << err << got;
        };
        const auto misuse = [&](const char *name, const QStringList &args, const QString &message) {
            row(name, args, {}, 64, {}, {message, "Справка: velon-cli --help"}, {});
        };
        misuse("no command", {}, "Не указана команда");
        misuse("unknown command", {"erase"}, "Неизвестная команда: erase");
        misuse("check without a file", {"check"}, "Команде check нужен один аргумент");
        misuse("read with an argument", {"read", "x"}, "Лишние аргументы команды read: x");
        misuse("option of another command", {"check", "f.txt", "--port", "p"},
               "Неизвестный параметр команды check: --port");
        misuse("option without value", {"read", "--out"}, "Параметру --out нужно значение");
        misuse("wait not a number", {"send", "IMEI;", "--wait=soon"}, "Неверное значение --wait: soon");

        const QString port = modem->slavePath();
        const QStringList searched{"MODEM?;", "READALL;"};
        row("no port at all", {"read"}, {}, 2, {}, {"COM портов не обнаружено"}, {});
        row("ports, none at all", {"ports"}, {}, 2, {}, {"COM портов не обнаружено"}, {});
        row("search, silent port", {"read"}, {silent}, 2, {}, {"Модем не обнаружен. Проверьте подключение"},
            {});
        row("search, no port opens", {"read"}, {missing, busy}, 2, {},
            {"Не удалось открыть порт. Проверьте подключение"}, {});
        row("silent port", {"read", "--port", silent}, {}, 2, {}, {"Модем не ответил"}, {});
        row("missing port", {"read", "--port", missing}, {}, 2, {}, {missing + ": порт не найден"}, {});
        row("busy port", {"read", "--port", busy}, {}, 2, {}, {busy + ": порт занят другой программой"}, {});

        // The file is the one the window would save after the read or load, adjustments included.
        const QByteArray read = expectedFromFresh(parseFile(fileOf(modemSet))).file;
        QVERIFY(read.contains("SETURL2=example.net,8080,10;\n"));
        const QString set = dir.filePath("set.txt"), out = dir.filePath("out.txt");
        row("read, the search passes a port it cannot open", {"read"}, {missing, port}, 0, read, {},
            {"MODEM?;", "READALL;"});
        row("read into a file", {"read", "--port", port, "--out", out}, {}, 0, read, {}, {"READALL;"});
        row("check", {"check", set}, {}, 0, {}, {}, {});
        row("check into a file", {"check", set, "--out", out}, {}, 0,
            expectedFromFresh(parseFile(readBytes(set))).file, {}, {});
        row("check, missing file", {"check", dir.filePath("none.txt")}, {}, 1, {},
            {"Не удалось открыть файл: " + dir.filePath("none.txt")}, {});
        row("diff", {"diff", set}, {port}, 1,
            "ADMTEL3\t\t+79990001122\nSETURL2\texample.net,8080,5\texample.net,8080,10\n", {},
            {"MODEM?;", "READALL;"});
        row("write of a file the checks refuse sends nothing",
            {"write", dir.filePath("bad.txt"), "--port", port}, {}, 1, {},
            {"Неверное значение параметра SETLOG"}, {});
    }
    void commands()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, ports);
        QFETCH(int, status);
        QFETCH(QByteArray, out);
        QFETCH(QStringList, err);
        QFETCH(QByteArrayList, modemGot);
        const QString outFile = dir.filePath("out.txt");
        QFile::remove(outFile);
        modem->clearLog();
        const CliRun run = runCli(args, ports);
        QCOMPARE(run.status, status);
        QCOMPARE(run.errLines(), err);
        if (args.contains(outFile)) {
            QVERIFY(run.out.isEmpty());
            QCOMPARE(readBytes(outFile), out);
        } else {
            QCOMPARE(run.out, out);
        }
        // Whatever the run sent is on the line before a marker sent now.
        QSerialPort marker(modem->slavePath());
        QVERIFY(marker.open(QIODevice::ReadWrite) && marker.write("MARK;") == 5 && marker.flush());
        QTRY_VERIFY(modem->records().contains("MARK;"));
        QCOMPARE(modem->records(), modemGot << "MARK;");
    }

    void help()
    {
        const CliRun run = runCli({"write", "--help"});
        QCOMPARE(run.status, 0);
        const QString text = QString::fromUtf8(run.out);
        for (const char *item : {"  ports ", "  read [--port P] [--out FILE]", "  check FILE", "  diff FILE",
                                 "  write FILE", "  send TEXT [--port P] [--wait MS]", "VELON_PORTS", "64"})
            QVERIFY2(text.contains(QString::fromUtf8(item)), item);
    }

    // Every port at once: two modems, four silent ports, a missing one and a busy one take about one
    // probe's time, where a search one by one would take four times the probe's 2000 ms.
    void ports()
    {
        for (int i = 0; i < 3; ++i)
            f->addSilentPort();
        const QString last = f->addModem()->slavePath();
        const CliRun run = runCli({"ports"}, f->portNames());
        QCOMPARE(run.status, 0);
        QStringList expected;
        for (const QString &name : f->portNames()) {
            const QString verdict = name == missing ? "порт не найден"
                                    : name == busy  ? "порт занят другой программой"
                                    : name == modem->slavePath() || name == last ? "модем отвечает"
                                                                                 : "модем не ответил";
            expected.append(name + ": " + verdict);
        }
        QCOMPARE(QString::fromUtf8(run.out).split('\n', Qt::SkipEmptyParts), expected);
        // At the same time, on the modems' own clocks: every probe came before the first one's 2000 ms were
        // over, where one by one they would come 2000 ms apart.
        QElapsedTimer clock;
        clock.start();
        QVector<double> probedAt;
        int opened = 0; // the fixture's modems are the ports that open, in the list's order
        for (const QString &name : f->portNames()) {
            if (name == missing || name == busy)
                continue;
            sim::SimModem *m = f->modem(opened++);
            QCOMPARE(m->slavePath(), name);
            const double started = clock.nsecsElapsed() / 1e6 - m->elapsedMs();
            QVERIFY(!m->log().isEmpty());
            probedAt.append(started + m->log().last().readAtMs);
        }
        const auto [earliest, latest] = std::minmax_element(probedAt.begin(), probedAt.end());
        QVERIFY2(*latest - *earliest < 2000, qPrintable(QString::number(*latest - *earliest)));
    }

    // Progress is for a person at a terminal: a script's pipe gets none (every other test shows that), a
    // terminal gets one line, overwritten step by step and cleared at the end.
    void progressOnlyOnATerminal()
    {
        int master = -1, slave = -1;
        QVERIFY(::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0);
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VELON_PORTS", silent);
        process->setProcessEnvironment(env);
        process->setStandardErrorFile(QString::fromLocal8Bit(::ttyname(slave)));
        process->start(qEnvironmentVariable("VELON_CLI", VELON_CLI_PATH), {"ports"});
        const CliRun run = finishCli(*process);
        ::close(slave);
        QByteArray terminal(4096, '\0');
        terminal.truncate(int(qMax<ssize_t>(0, ::read(master, terminal.data(), size_t(terminal.size())))));
        ::close(master);
        QCOMPARE(run.status, 2);
        QCOMPARE(QString::fromUtf8(terminal), QString("\rОпрос портов: 1\033[K\r\033[K"));
    }

    // A modem unplugged in the middle of the records, or of the read-back: one message, status 2.
    void writeLosesTheModem_data()
    {
        QTest::addColumn<bool>("duringReadBack");
        QTest::newRow("during the records") << false;
        QTest::newRow("during the read-back") << true;
    }
    void writeLosesTheModem()
    {
        QFETCH(bool, duringReadBack);
        SimFixture unplugged;
        sim::SimModem *lost = unplugged.addModem();
        const QString file = dir.filePath("write.txt");
        QVERIFY(writeBytes(file, fileOf(sim::SimModem::defaultParams())));
        if (duringReadBack)
            lost->setHangUpAt(100);
        auto process = startCli({"write", file, "--port", lost->slavePath()});
        if (!duringReadBack) {
            QTRY_VERIFY_WITH_TIMEOUT(lost->log().size() >= 5, 20000);
            lost->hangUp();
        }
        const CliRun run = finishCli(*process);
        QVERIFY2(run.status == 2 && run.errLines() == QStringList{"Связь с модемом потеряна"},
                 run.err.constData());
        if (!duringReadBack)
            QCOMPARE(lost->writeAllCount(), 0);
    }

    // send prints the answer; a second process on the port in use is told it is busy.
    void sendAndBusyPort()
    {
        auto holder = startCli({"send", "IMEI;", "--wait", "3000"}, {modem->slavePath()});
        QTRY_VERIFY_WITH_TIMEOUT(modem->records().contains("IMEI;"), 20000);
        const CliRun second = runCli({"read", "--port", modem->slavePath()});
        QCOMPARE(second.status, 2);
        QCOMPARE(second.errLines(), QStringList{modem->slavePath() + ": порт занят другой программой"});
        const CliRun first = finishCli(*holder);
        QCOMPARE(first.status, 0);
        QCOMPARE(first.out, QByteArray("IMEI=356938035643809;\r\n"));
    }

    // Eight writes at once on eight ports do not disturb each other, ten rounds with both cores kept busy:
    // each modem gets its file's records in the window's sending order, byte for byte, each whole before
    // the next (its adapter would lose any it still held at a purge), and stores the set, the read-back
    // agreeing; one that keeps the identifier in capitals is named.
    void eightAtOnce()
    {
        SimFixture eight;
        QVector<sim::ParamList> sets;
        QStringList files;
        for (int i = 0; i < 8; ++i) {
            eight.addModem()->setUpperCaseSetId(i == 7);
            sets.append(withParam(sim::SimModem::defaultParams(), "SETID", QString("1,Склад-%1").arg(i)));
            files.append(dir.filePath(QString("modem%1.txt").arg(i)));
            QVERIFY(writeBytes(files.last(), fileOf(sets.last())));
        }
        std::atomic<bool> loaded{true};
        std::vector<std::thread> load;
        for (int core = 0; core < 2; ++core) {
            load.emplace_back([&loaded] {
                while (loaded.load(std::memory_order_relaxed)) {
                }
            });
        }
        const auto unload = qScopeGuard([&] {
            loaded = false;
            for (std::thread &t : load)
                t.join();
        });
        for (int round = 0; round < 10; ++round) {
            std::vector<std::unique_ptr<QProcess>> processes;
            for (int i = 0; i < 8; ++i) {
                eight.modem(i)->clearLog();
                eight.modem(i)->setParams(sim::SimModem::defaultParams());
                processes.push_back(startCli({"write", files.at(i), "--port", eight.modem(i)->slavePath()}));
            }
            for (int i = 0; i < 8; ++i) {
                const CliRun run = finishCli(*processes[size_t(i)]);
                sim::SimModem *m = eight.modem(i);
                QByteArrayList expected;
                for (const QString &text : writeplan::sends(recordsOf(sets[i])))
                    expected.append(linecodec::encode(text));
                QCOMPARE(m->records(), expected << "READALL;");
                QCOMPARE(m->overrunCount(), 0);
                if (i < 7) {
                    QVERIFY2(run.status == 0 && run.err.isEmpty(), run.err.constData());
                    QCOMPARE(recordsOf(m->params()), recordsOf(sets[i]));
                } else {
                    QCOMPARE(run.status, 1);
                    QCOMPARE(run.errLines(), QStringList{"Параметр записан некорректно: SETID"});
                }
            }
        }
    }
};

VELON_TEST_MAIN(TestCli)
#include "tst_cli.moc"
