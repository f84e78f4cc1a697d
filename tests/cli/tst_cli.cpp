// velon-cli as a user runs it: the real executable against simulated modems on pseudo-terminals, its
// output, its messages and its exit status.

#include "clirun.h"
#include "simfixture.h"
#include "testmain.h"

#include "files/paramfile.h"
#include "link/writeplan.h"
#include "params/formrecords.h"
#include "params/linecodec.h"
#include "params/records.h"

#include <QTemporaryDir>

#include <pty.h>
#include <unistd.h>

namespace {

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

sim::ParamList with(sim::ParamList params, const QString &key, const QString &value)
{
    for (auto &p : params) {
        if (p.first == key)
            p.second = value;
    }
    return params;
}

// The file the window saves after reading or loading these records in a fresh window.
QByteArray savedFile(const QStringList &recordTexts)
{
    const QByteArray set = paramfile::setBytes(paramfile::fileBytes(recordTexts));
    return paramfile::fileBytes(
        formrecords::apply(formrecords::startup(), records::toParamsMap(records::splitRecords(set)))
            .form.recordTexts);
}

QByteArrayList sentRecords(const sim::SimModem *modem)
{
    QByteArrayList sent;
    for (const sim::ReceivedRecord &r : modem->log())
        sent.append(r.data);
    return sent;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(dir.isValid()); }

    void usage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("no command") << QStringList{} << "Не указана команда";
        QTest::newRow("unknown command") << QStringList{"erase"} << "Неизвестная команда: erase";
        QTest::newRow("check without a file") << QStringList{"check"} << "Команде check нужен один аргумент";
        QTest::newRow("read with an argument")
            << QStringList{"read", "x"} << "Лишние аргументы команды read: x";
        QTest::newRow("option of another command")
            << QStringList{"check", "f.txt", "--port", "p"} << "Неизвестный параметр команды check: --port";
        QTest::newRow("option without value")
            << QStringList{"read", "--out"} << "Параметру --out нужно значение";
        QTest::newRow("wait not a number")
            << QStringList{"send", "IMEI;", "--wait=soon"} << "Неверное значение --wait: soon";
    }
    void usage()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const CliRun run = runCli(args);
        QCOMPARE(run.status, 64);
        QCOMPARE(run.errLines().value(0), message);
        QVERIFY(run.out.isEmpty());
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
        SimFixture f;
        const QString first = f.addModem()->slavePath();
        for (int i = 0; i < 4; ++i)
            f.addSilentPort();
        const QString missing = f.addMissingPort();
        const QString busy = f.addBusyPort();
        const QString last = f.addModem()->slavePath();
        const CliRun run = runCli({"ports"}, f.portNames());
        QCOMPARE(run.status, 0);
        QStringList expected;
        for (const QString &name : f.portNames()) {
            const QString verdict = name == missing ? "порт не найден"
                                    : name == busy  ? "порт занят другой программой"
                                    : name == first || name == last ? "модем отвечает"
                                                                    : "модем не ответил";
            expected.append(name + ": " + verdict);
        }
        QCOMPARE(QString::fromUtf8(run.out).split('\n', Qt::SkipEmptyParts), expected);
        // One by one, the four silent ports alone would take 4 x 2000 ms.
        QVERIFY2(run.ms < 3 * 2000, qPrintable(QString::number(run.ms)));

        const CliRun none = runCli({"ports"});
        QCOMPARE(none.status, 2);
        QCOMPARE(none.errLines(), QStringList{"COM портов не обнаружено"});
    }

    // The search passes a port that cannot be opened and reads the modem behind the next; the file is the
    // window's, adjustments included (an interval of 5 minutes becomes 10).
    void read()
    {
        SimFixture f;
        f.addMissingPort();
        sim::SimModem *modem = f.addModem();
        const sim::ParamList set = with(sim::SimModem::defaultParams(), "SETURL2", "example.net,8080,5");
        modem->setParams(set);
        const QByteArray expected = savedFile(recordsOf(set));
        QVERIFY(expected.contains("SETURL2=example.net,8080,10;\n"));

        const CliRun run = runCli({"read"}, f.portNames());
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, expected);
        QVERIFY(run.err.isEmpty());

        const QString out = dir.filePath("read.txt");
        const CliRun toFile = runCli({"read", "--port", modem->slavePath(), "--out", out}, f.portNames());
        QCOMPARE(toFile.status, 0);
        QVERIFY(toFile.out.isEmpty());
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), expected);
    }

    void linkFailures_data()
    {
        QTest::addColumn<QString>("port"); // "search": no --port; otherwise what --port names
        QTest::addColumn<QString>("message");
        QTest::newRow("search, silent port") << "search"
                                             << "Модем не обнаружен. Проверьте подключение";
        QTest::newRow("silent port") << "silent"
                                     << "Модем не ответил";
        QTest::newRow("missing port") << "missing"
                                      << ": порт не найден";
        QTest::newRow("busy port") << "busy"
                                   << ": порт занят другой программой";
        QTest::newRow("no port at all") << "none"
                                        << "COM портов не обнаружено";
    }
    void linkFailures()
    {
        QFETCH(QString, port);
        QFETCH(QString, message);
        SimFixture f;
        QString name;
        if (port == "silent" || port == "search")
            name = f.addSilentPort()->slavePath();
        else if (port == "missing")
            name = f.addMissingPort();
        else if (port == "busy")
            name = f.addBusyPort();
        QStringList args{"read"};
        if (port != "search" && port != "none")
            args << "--port" << name;
        const CliRun run = runCli(args, f.portNames());
        QCOMPARE(run.status, 2);
        QCOMPARE(run.errLines().size(), 1);
        QCOMPARE(run.errLines().first(), message.startsWith(':') ? name + message : message);
        QVERIFY(run.out.isEmpty());
    }

    void checkAndDiff()
    {
        SimFixture f;
        sim::SimModem *modem = f.addModem();
        const QString file = dir.filePath("set.txt");
        const sim::ParamList changed = with(with(sim::SimModem::defaultParams(), "ADMTEL3", "+79990001122"),
                                            "SETURL2", "example.net,80,5");
        writeFile(file, paramfile::fileBytes(recordsOf(changed)));

        const CliRun check = runCli({"check", file});
        QCOMPARE(check.status, 0);
        QVERIFY(check.out.isEmpty() && check.err.isEmpty());

        const CliRun diff = runCli({"diff", file}, f.portNames());
        QCOMPARE(diff.status, 1);
        QCOMPARE(QString::fromUtf8(diff.out), "ADMTEL3\t\t+79990001122\n"
                                              "SETURL2\ttelemetry.example.net,8080,60\texample.net,80,10\n");
        modem->setParams(changed);
        const CliRun same = runCli({"diff", file, "--port", modem->slavePath()});
        QCOMPARE(same.status, 1); // the modem holds 5, a write would send 10
        QCOMPARE(QString::fromUtf8(same.out), "SETURL2\texample.net,80,5\texample.net,80,10\n");

        const CliRun missing = runCli({"check", dir.filePath("none.txt")});
        QCOMPARE(missing.status, 1);
        QCOMPARE(missing.errLines(), QStringList{"Не удалось открыть файл: " + dir.filePath("none.txt")});
    }

    // The records leave in the window's sending order, each whole before the next; the modem stores the
    // file's set and the read-back agrees.
    void write()
    {
        SimFixture f;
        sim::SimModem *modem = f.addModem();
        const sim::ParamList set = with(sim::SimModem::defaultParams(), "SETID", "0,Склад-3");
        const QString file = dir.filePath("write.txt");
        writeFile(file, paramfile::fileBytes(recordsOf(set)));
        const CliRun run = runCli({"write", file, "--port", modem->slavePath()});
        QCOMPARE(run.status, 0);
        QVERIFY(run.err.isEmpty());
        QByteArrayList expected;
        for (const QString &text : writeplan::sends(recordsOf(set)))
            expected.append(linecodec::encode(text));
        expected.append("READALL;");
        QCOMPARE(sentRecords(modem), expected);
        QCOMPARE(modem->overrunCount(), 0);
        QCOMPARE(recordsOf(modem->params()), recordsOf(set));
    }

    void writeRefusedOrDiffering()
    {
        SimFixture f;
        sim::SimModem *modem = f.addModem();
        const QString file = dir.filePath("bad.txt");
        writeFile(file, paramfile::fileBytes(recordsOf(with(sim::SimModem::defaultParams(), "SETLOG", "2"))));
        const CliRun refused = runCli({"write", file, "--port", modem->slavePath()});
        QCOMPARE(refused.status, 1);
        QCOMPARE(refused.errLines(), QStringList{"Неверное значение параметра SETLOG"});
        QVERIFY(modem->received().isEmpty());

        modem->setUpperCaseSetId(true);
        writeFile(file,
                  paramfile::fileBytes(recordsOf(with(sim::SimModem::defaultParams(), "SETID", "1,abc"))));
        const CliRun differing = runCli({"write", file, "--port", modem->slavePath()});
        QCOMPARE(differing.status, 1);
        QCOMPARE(differing.errLines(), QStringList{"Параметр записан некорректно: SETID"});
    }

    // Progress is for a person at a terminal: a script's pipe gets none (every other test shows that), a
    // terminal gets one line, overwritten step by step and cleared at the end.
    void progressOnlyOnATerminal()
    {
        SimFixture f;
        const QString silent = f.addSilentPort()->slavePath();
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
        SimFixture f;
        sim::SimModem *modem = f.addModem();
        const QString file = dir.filePath("write.txt");
        writeFile(file, paramfile::fileBytes(recordsOf(sim::SimModem::defaultParams())));
        if (duringReadBack)
            modem->setHangUpAt(100);
        auto process = startCli({"write", file, "--port", modem->slavePath()});
        if (!duringReadBack) {
            QTRY_VERIFY_WITH_TIMEOUT(modem->log().size() >= 5, 20000);
            modem->hangUp();
        }
        const CliRun run = finishCli(*process);
        QVERIFY2(run.status == 2 && run.errLines() == QStringList{"Связь с модемом потеряна"},
                 run.err.constData());
        if (!duringReadBack)
            QCOMPARE(modem->writeAllCount(), 0);
    }

    // send prints the answer; a second process on the port in use is told it is busy.
    void sendAndBusyPort()
    {
        SimFixture f;
        sim::SimModem *modem = f.addModem();
        modem->setInfo("IMEI", "356938035643809");
        auto holder = startCli({"send", "IMEI;", "--wait", "3000"}, f.portNames());
        QTRY_VERIFY_WITH_TIMEOUT(modem->records().contains("IMEI;"), 20000);
        const CliRun second = runCli({"read", "--port", modem->slavePath()});
        QCOMPARE(second.status, 2);
        QCOMPARE(second.errLines(), QStringList{modem->slavePath() + ": порт занят другой программой"});
        const CliRun first = finishCli(*holder);
        QCOMPARE(first.status, 0);
        QCOMPARE(first.out, QByteArray("IMEI=356938035643809;\r\n"));
    }

    // Eight processes on eight ports at once do not disturb each other.
    void eightAtOnce()
    {
        SimFixture f;
        std::vector<std::unique_ptr<QProcess>> processes;
        for (int i = 0; i < 8; ++i) {
            sim::SimModem *modem = f.addModem();
            const QString file = dir.filePath(QString("modem%1.txt").arg(i));
            const sim::ParamList set =
                with(sim::SimModem::defaultParams(), "SETID", QString("1,OBJ-%1").arg(i));
            writeFile(file, paramfile::fileBytes(recordsOf(set)));
            processes.push_back(startCli({"write", file, "--port", modem->slavePath()}));
        }
        for (int i = 0; i < 8; ++i) {
            const CliRun run = finishCli(*processes[size_t(i)]);
            QVERIFY2(run.status == 0, run.err.constData());
            QCOMPARE(f.modem(i)->param("SETID"), QString("1,OBJ-%1").arg(i));
        }
    }

private:
    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir dir;
};

VELON_TEST_MAIN(TestCli)
#include "tst_cli.moc"
