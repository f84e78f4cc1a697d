// velon-cli as a user runs it: the real executable against simulated modems on pseudo-terminals, its
// output, its messages and its exit status.

#include "clirun.h"
#include "simfixture.h"
#include "testmain.h"
#include "testutil.h"

#include "link/setreply.h"
#include "link/writeplan.h"
#include "params/linecodec.h"

#include "link/serialport.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <QScopeGuard>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include <csignal>
#include <pty.h>
#include <sys/stat.h>
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

QByteArray json(const QJsonValue &value)
{
    return value.isArray() ? QJsonDocument(value.toArray()).toJson()
                           : QJsonDocument(value.toObject()).toJson();
}

// The rows of the summary of several modems, each split into its five columns (which two spaces or more
// separate), by port.
QMap<QString, QStringList> summaryRows(const QByteArray &out)
{
    QMap<QString, QStringList> rows;
    const QStringList lines = QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
    for (const QString &line : lines.mid(1)) {
        const QStringList columns = line.split(QRegularExpression("\\s{2,}"));
        rows.insert(columns.first(), columns);
    }
    return rows;
}

// The set a fresh window makes of a file, as --json gives it.
QJsonObject setJson(const QByteArray &file)
{
    QJsonObject set;
    const QMap<QString, QString> values = parseFile(file);
    for (auto kv = values.begin(); kv != values.end(); ++kv)
        set[kv.key()] = kv.value();
    return set;
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
        QVERIFY(writeBytes(dir.filePath("tab.txt"), fileOf(withParam(modemSet, "SETID", "1,a\tb\\c"))));
        // Windows-1251, as an older spreadsheet saves it; the second row makes the set fail the check.
        QVERIFY(writeBytes(dir.filePath("values.csv"),
                           linecodec::encode("IMEI;SETID;SETLOG\r\n1;\"1,Склад\";0\r\n2;1,b;2\r\n")));
        QVERIFY(writeBytes(dir.filePath("unknown.csv"), "IMEI,SETIDX\n1,2\n"));
        QVERIFY(writeBytes(dir.filePath("esc.txt"), fileOf(withParam(modemSet, "SETID",
                                                                     "1,a\x1b"
                                                                     "b"))));
        QVERIFY(writeBytes(dir.filePath("cafe.txt"), fileOf(withParam(modemSet, "SETID", "1,café"))));
        // Cells the records cannot carry as they stand, a modem named twice: the table as a whole is refused.
        QVERIFY(writeBytes(dir.filePath("cells.csv"), "IMEI,SETSIM1,ADMTEL1,SETID\n"
                                                      "1,\"1234,u,p,apn;x\",+7999,\"1,caf\xc3\xa9\"\n"
                                                      "1,\"1234,u,p,apn\",\"+7999,1\",\"1,a\nb\"\n"));
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
        QTest::addColumn<QByteArray>("input");   // its standard input
        QTest::addColumn<QString>("stdoutFile"); // where its standard output goes, if not to the test
        QTest::addColumn<QByteArray>("earlier"); // what stdoutFile holds before, appended to as ">>" does
        const auto row = [](const char *name, const QStringList &args, const QStringList &ports, int status,
                            const QByteArray &out, const QStringList &err, const QByteArrayList &got,
                            const QByteArray &input = {}, const QString &stdoutFile = {},
                            const QByteArray &earlier = {}) {
            QTest::newRow(name) << args << ports << status << out << err << got << input << stdoutFile
                                << earlier;
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
        row("send of text the line cannot carry", {"send", "SETID=1,café;"}, {}, 64, {},
            {"Символ «é» не передаётся модему (линия передаёт только Windows-1251)"}, {});
        misuse("read of several modems into one file", {"read", "--all", "--out", "x"},
               "Для нескольких модемов укажите --out-dir, а не --out");
        misuse("jobs not a number", {"write", "f", "--all", "--jobs", "0"}, "Неверное значение --jobs: 0");
        misuse("expect without --all", {"write", "f", "--ports", "p", "--expect", "2"},
               "--expect нужен только с --all");
        row("version", {"--version"}, {}, 0, "velon-cli " VELON_VERSION "\n", {}, {});
        row("help onto a full disk", {"check", "--help"}, {}, 74, {},
            {"Не удалось записать в стандартный вывод"}, {}, {}, "/dev/full");

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
        row("check, missing file", {"check", dir.filePath("none.txt")}, {}, 66, {},
            {"Не удалось открыть файл: " + dir.filePath("none.txt")}, {});
        row("after -- a file, not help", {"check", "--", "-h"}, {}, 66, {}, {"Не удалось открыть файл: -h"},
            {});
        row("after -- the text to send, not help", {"send", "--port", port, "--", "--help;"}, {}, 0, {}, {},
            {"--help;"});
        row("check from standard input to standard output", {"check", "-", "--out", "-"}, {}, 0,
            expectedFromFresh(parseFile(readBytes(set))).file, {}, {}, readBytes(set));
        row("check into a folder that is not there", {"check", set, "--out", dir.filePath("none/out.txt")},
            {}, 73, {}, {"Не удалось создать файл: " + dir.filePath("none/out.txt")}, {});
        row("read onto a full device", {"read", "--port", port, "--out", "/dev/full"}, {}, 74, {},
            {"Не удалось записать файл: /dev/full: " + QString::fromLocal8Bit(std::strerror(ENOSPC))},
            {"READALL;"});
        row("read onto a full disk", {"read", "--port", port}, {}, 74, {},
            {"Не удалось записать в стандартный вывод"}, {"READALL;"}, {}, "/dev/full");
        row("read into /dev/stdout, a file", {"read", "--port", port, "--out", "/dev/stdout"}, {}, 0, read,
            {}, {"READALL;"}, {}, dir.filePath("stdout.txt"));
        // What ">>" already holds stays: /dev/stdout, or the very file standard output is, is written through
        // standard output's own descriptor.
        row("read into /dev/stdout, appended", {"read", "--port", port, "--out", "/dev/stdout"}, {}, 0,
            "earlier line\n" + read, {}, {"READALL;"}, {}, dir.filePath("stdout.txt"), "earlier line\n");
        row("check into the file standard output appends to",
            {"check", set, "--out", dir.filePath("stdout.txt")}, {}, 0,
            "earlier line\n" + expectedFromFresh(parseFile(readBytes(set))).file, {}, {}, {},
            dir.filePath("stdout.txt"), "earlier line\n");
        row("check into a FIFO", {"check", set, "--out", dir.filePath("out.fifo")}, {}, 0,
            expectedFromFresh(parseFile(readBytes(set))).file, {}, {});
        row("diff escapes tab and backslash", {"diff", dir.filePath("tab.txt"), "--port", port}, {}, 1,
            "SETURL2\texample.net,8080,5\texample.net,8080,10\nSETID\t1,OBJ-17\t1,a\\tb\\\\c\n", {},
            {"READALL;"});
        row("diff shows a control character as \\xNN", {"diff", dir.filePath("esc.txt"), "--port", port}, {},
            1, "SETURL2\texample.net,8080,5\texample.net,8080,10\nSETID\t1,OBJ-17\t1,a\\x1Bb\n", {},
            {"READALL;"});
        row("check: characters the line cannot carry are the window's warning",
            {"check", dir.filePath("cafe.txt")}, {}, 0, {},
            {"Символы, которые модем не принимает, заменены на «?»: SETID"}, {});
        row("check --values, a row the check refuses", {"check", set, "--values", dir.filePath("values.csv")},
            {}, 1, {}, {"2: Неверное значение параметра SETLOG"}, {});
        row("check --values, a key that is none", {"check", set, "--values", dir.filePath("unknown.csv")}, {},
            1, {},
            {"Таблица значений " + dir.filePath("unknown.csv") +
             ": неизвестный параметр в заголовке: SETIDX"},
            {});
        row("check --values, no table", {"check", set, "--values", dir.filePath("none.csv")}, {}, 66, {},
            {"Не удалось открыть файл: " + dir.filePath("none.csv")}, {});
        // The table, the template and every row's set are checked before the search: no port is touched.
        const QString cells = dir.filePath("cells.csv");
        const QStringList cellErrors{
            "строка 2, SETSIM1: точка с запятой в значении недопустима (она завершает запись)",
            "строка 2, SETID: символ «é» не передаётся модему (линия передаёт только Windows-1251)",
            "строка 3: модем 1 уже назван в строке 2",
            "строка 3, ADMTEL1: запятая недопустима: у параметра одно поле",
            "строка 3, SETID: перевод строки в значении недопустим"};
        QStringList tableErrors;
        for (const QString &e : cellErrors)
            tableErrors.append("Таблица значений " + cells + ": " + e);
        row("check --values, cells the records cannot carry", {"check", set, "--values", cells}, {}, 1, {},
            tableErrors, {});
        row("write --all --values, cells the records cannot carry",
            {"write", set, "--all", "--values", cells}, {port}, 1, {}, tableErrors, {});
        row("write --all --values, a row the check refuses",
            {"write", set, "--all", "--values", dir.filePath("values.csv")}, {port}, 1, {},
            {"2: Неверное значение параметра SETLOG"}, {});
        row("read --all into a folder that is not there",
            {"read", "--all", "--out-dir", dir.filePath("none")}, {port}, 73, {},
            {"Папка не найдена: " + dir.filePath("none")}, {});
        row("diff", {"diff", set}, {port}, 1,
            "ADMTEL3\t\t+79990001122\nSETURL2\texample.net,8080,5\texample.net,8080,10\n", {},
            {"MODEM?;", "READALL;"});

        // --json: one document, parsed back; the modem is asked its IMEI first.
        const QJsonObject modemJson{
            {"port", port}, {"stablePath", QJsonValue()}, {"imei", "356938035643809"}};
        const auto with = [](QJsonObject o, const QJsonObject &more) {
            for (auto kv = more.begin(); kv != more.end(); ++kv)
                o.insert(kv.key(), kv.value());
            return o;
        };
        row("read --json", {"read", "--port", port, "--json"}, {}, 0,
            json(with(modemJson, {{"status", 0}, {"messages", QJsonArray()}, {"set", setJson(read)}})), {},
            {"IMEI;", "READALL;"});
        row("diff --json", {"diff", set, "--json"}, {port}, 1,
            json(with(modemJson,
                      {{"status", 1},
                       {"messages", QJsonArray()},
                       {"differences",
                        QJsonArray{QJsonObject{{"key", "ADMTEL3"}, {"modem", ""}, {"file", "+79990001122"}},
                                   QJsonObject{{"key", "SETURL2"},
                                               {"modem", "example.net,8080,5"},
                                               {"file", "example.net,8080,10"}}}}})),
            {}, {"MODEM?;", "IMEI;", "READALL;"});
        // The port searched is in the array, with its state and no status of its own.
        row("write --all --json, no modem", {"write", set, "--all", "--json"}, {silent}, 2,
            json(QJsonArray{QJsonObject{{"port", silent},
                                        {"stablePath", QJsonValue()},
                                        {"imei", QJsonValue()},
                                        {"state", "silent"},
                                        {"status", QJsonValue()},
                                        {"messages", QJsonArray{"модем не ответил"}}}}),
            {"Модем не обнаружен. Проверьте подключение"}, {});
        row("check --json of a refused file", {"check", dir.filePath("bad.txt"), "--json"}, {}, 1,
            json(QJsonObject{{"port", QJsonValue()},
                             {"stablePath", QJsonValue()},
                             {"imei", QJsonValue()},
                             {"status", 1},
                             {"messages", QJsonArray{"Неверное значение параметра SETLOG"}}}),
            {}, {});
        row("send --json", {"send", "IMEI;", "--port", port, "--json"}, {}, 0,
            json(with(modemJson,
                      {{"status", 0}, {"messages", QJsonArray()}, {"reply", "IMEI=356938035643809;\r\n"}})),
            {}, {"IMEI;", "IMEI;"});
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
        QFETCH(QByteArray, input);
        QFETCH(QString, stdoutFile);
        QFETCH(QByteArray, earlier);
        if (!earlier.isEmpty())
            QVERIFY(writeBytes(stdoutFile, earlier));
        const QString outFile = dir.filePath("out.txt"), fifo = dir.filePath("out.fifo");
        QFile::remove(outFile);
        QFile::remove(fifo);
        modem->clearLog();
        // A FIFO is written as it is, while someone reads it.
        QByteArray fromFifo;
        std::thread reader;
        if (args.contains(fifo)) {
            QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
            reader = std::thread([&] {
                QFile f(fifo);
                if (f.open(QIODevice::ReadOnly))
                    fromFifo = f.readAll();
            });
        }
        const CliRun run = runCli(args, ports, input, stdoutFile, !earlier.isEmpty());
        if (reader.joinable())
            reader.join();
        QCOMPARE(run.status, status);
        QCOMPARE(run.errLines(), err);
        QByteArray got = run.out;
        if (args.contains(outFile) || args.contains(fifo)) {
            QVERIFY(run.out.isEmpty());
            got = args.contains(fifo) ? fromFifo : readBytes(outFile);
            QVERIFY(!args.contains(fifo) || (QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile()));
        } else if (!stdoutFile.isEmpty() && (QFileInfo(stdoutFile).isFile() || !earlier.isEmpty())) {
            got = readBytes(stdoutFile);
        }
        if (args.contains("--json")) {
            const QJsonDocument document = QJsonDocument::fromJson(got);
            QVERIFY2(!document.isNull(), got.constData());
            QCOMPARE(document.toJson(), QJsonDocument::fromJson(out).toJson());
        } else {
            QCOMPARE(got, out);
        }
        // Whatever the run sent is on the line before a marker sent now.
        SerialPort marker(modem->slavePath());
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
    // probe's time, where a search one by one would take four times the probe's 2000 ms. Each line's
    // columns are split at tabs; --json says the same.
    void ports()
    {
        for (int i = 0; i < 3; ++i)
            f->addSilentPort();
        const QString last = f->addModem()->slavePath();
        const CliRun run = runCli({"ports"}, f->portNames());
        QCOMPARE(run.status, 0);
        const CliRun json = runCli({"ports", "--json"}, f->portNames());
        QCOMPARE(json.status, 0);
        const QJsonArray array = QJsonDocument::fromJson(json.out).array();
        QStringList expected, lines;
        for (const QString &name : f->portNames()) {
            const QString verdict = name == missing ? "порт не найден"
                                    : name == busy  ? "порт занят другой программой"
                                    : name == modem->slavePath() || name == last ? "модем отвечает"
                                                                                 : "модем не ответил";
            expected.append(name + '\t' + verdict + "\t\t\t\t");
            const QString state = name == missing                              ? "missing"
                                  : name == busy                               ? "busy"
                                  : name == modem->slavePath() || name == last ? "answered"
                                                                               : "silent";
            const QJsonObject o = array.at(expected.size() - 1).toObject();
            QCOMPARE(o.value("path").toString() + ' ' + o.value("state").toString() + ' ' +
                         o.value("message").toString(),
                     name + ' ' + state + ' ' + verdict);
        }
        QCOMPARE(array.size(), expected.size());
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
    // terminal gets one line, overwritten step by step and cleared at the end; several modems at once get a
    // line each, drawn again in place, and cleared before the summary.
    void progressOnlyOnATerminal()
    {
        const auto onTerminal = [](const QStringList &args, const QStringList &ports, QByteArray *terminal) {
            int master = -1, slave = -1;
            if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
                return CliRun();
            std::thread reader([&] {
                char buffer[4096];
                ssize_t n = 0;
                while ((n = ::read(master, buffer, sizeof buffer)) > 0)
                    terminal->append(buffer, int(n));
            });
            auto process = std::make_unique<QProcess>();
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("VELON_PORTS", ports.join(':'));
            process->setProcessEnvironment(env);
            process->setStandardErrorFile(QString::fromLocal8Bit(::ttyname(slave)));
            process->start(qEnvironmentVariable("VELON_CLI", VELON_CLI_PATH), args);
            const CliRun run = finishCli(*process);
            ::close(slave);
            reader.join();
            ::close(master);
            return run;
        };
        QByteArray terminal;
        QCOMPARE(onTerminal({"ports"}, {silent}, &terminal).status, 2);
        QCOMPARE(QString::fromUtf8(terminal), QString("\rОпрос портов: 1\033[K\r\033[K"));

        // Both modems give the same IMEI (the terminal shows each "\n" as "\r\n"): the second file adds its
        // port instead of replacing the first.
        SimFixture two;
        const QStringList ports{two.addModem()->slavePath(), two.addModem()->slavePath()};
        const QString folder = dir.filePath("two");
        QVERIFY(QDir().mkpath(folder));
        terminal.clear();
        const CliRun run = onTerminal({"read", "--all", "--out-dir", folder}, ports, &terminal);
        QCOMPARE(run.status, 0);
        QCOMPARE(QString::fromUtf8(run.out).split('\n', Qt::SkipEmptyParts).size(), 3);
        const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
        QCOMPARE(files.size(), 2);
        const QString text = QString::fromUtf8(terminal);
        for (const QString &port : ports) {
            const QString suffixed = "356938035643809-" + port.mid(5).replace('/', '_') + ".txt";
            const QString file = files.contains(suffixed) ? suffixed : "356938035643809.txt";
            QVERIFY2(
                text.contains("\r" + port + ": прочитан в " + QDir(folder).filePath(file) + "\033[K\r\n"),
                qPrintable(text));
        }
        QVERIFY2(text.contains("\033[2A\r") && text.endsWith("\033[2A\r\033[J"), qPrintable(text));
    }

    // On an imperfect line a read-back is compared only when it came whole, and a key is named only when a
    // second read-back agrees; one message, and --json says whether "WRITEALL;" reached the modem, so a
    // script knows whether to write again. The faults are in the read-back's reply (the IMEI's, first with
    // --json, is too short to hold them), but a modem unplugged halfway through the records (then without
    // --json, which would spend the hang-up on the IMEI's reply).
    void writeOnAnImperfectLine_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message"); // empty: none
        QTest::addColumn<bool>("written");
        QTest::addColumn<int>("readAlls");
        const QString incomplete = "Параметры записаны, но не проверены: ответ модема неполный";
        QTest::newRow("unplugged during the records")
            << "unplug" << 2 << "Связь с модемом потеряна" << false << 0;
        QTest::newRow("unplugged during the read-back")
            << "hang up" << 2 << "Параметры записаны, но не проверены: связь с модемом потеряна" << true << 1;
        QTest::newRow("read-back cut short") << "cut" << 2 << incomplete << true << 1;
        QTest::newRow("read-back paused past the quiet line") << "pause" << 2 << incomplete << true << 1;
        QTest::newRow("a key lost from the read-back") << "key lost" << 2 << incomplete << true << 1;
        QTest::newRow("a byte flipped in the first read-back") << "flip" << 0 << "" << true << 2;
        QTest::newRow("a byte flipped in both read-backs")
            << "flip both" << 1 << "Параметр записан некорректно: SETRS" << true << 2;
        QTest::newRow("restart in the middle of the records")
            << "restart" << 2 << "Модем перезапустился: параметры не записаны" << false << 0;
    }
    void writeOnAnImperfectLine()
    {
        QFETCH(QString, fault);
        QFETCH(int, status);
        QFETCH(QString, message);
        QFETCH(bool, written);
        QFETCH(int, readAlls);
        SimFixture line;
        sim::SimModem *m = line.addModem();
        const QString file = dir.filePath("imperfect.txt");
        QVERIFY(writeBytes(file, fileOf(sim::SimModem::defaultParams())));
        QByteArray reply;
        for (const auto &kv : sim::SimModem::defaultParams())
            reply += (kv.first + "=" + kv.second + ";\r\n").toLatin1();
        // Byte 40 of the set is the last field of SETRS: "0" becomes "1", a value the modem could hold.
        QCOMPARE(reply.at(40), '0');
        const QMap<QString, std::function<void()>> faults{
            {"hang up", [m] { m->setHangUpAt(100); }},
            {"cut", [m] { m->setCutReplyAt(300); }},
            {"pause", [m] { m->setPauseInReply(200, setreply::quietLineMs + 500); }},
            {"key lost", [m, reply] { m->setReadAllReply(QByteArray(reply).replace("ADMTEL3=;\r\n", "")); }},
            {"flip", [m] { m->setFlipInReply(40); }},
            {"flip both", [m, reply] { m->setReadAllReply(QByteArray(reply).replace(40, 1, "1")); }},
            {"restart", [m] { m->setRestartAtRecord(1 + 10); }}}; // the IMEI's query, then the tenth record
        faults.value(fault, [] {})();
        const bool json = fault != "unplug" && fault != "hang up";
        auto process = startCli(QStringList{"write", file, "--port", m->slavePath()} +
                                (json ? QStringList{"--json"} : QStringList()));
        if (fault == "unplug") {
            QTRY_VERIFY_WITH_TIMEOUT(m->log().size() >= 5, 20000);
            m->hangUp();
        }
        const CliRun run = finishCli(*process);
        const QJsonObject o = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(run.status, status);
        QCOMPARE((json ? o.value("messages").toVariant().toStringList() : run.errLines()).join(""), message);
        QCOMPARE(json ? o.value("written").toBool() : written, written);
        // The last record may reach the modem after the program has ended.
        QTRY_COMPARE(m->writeAllCount(), written || fault == "restart" ? 1 : 0);
        QCOMPARE(m->records().count("READALL;"), readAlls);
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

    // The values table as spreadsheets save it: each row's SETID as the check takes it, or why the table
    // was refused.
    void valuesTables_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QStringList>("setIds"); // row by row; for a refused table, its message
        QTest::newRow("comma, a quoted cell holding the separator and a quote")
            << QByteArray("IMEI,SETID\n1,\"1,a \"\"b\"\"\"\n") << QStringList{"1,a \"b\""};
        QTest::newRow("semicolon, CR LF, a blank last line")
            << QByteArray("IMEI;SETID\r\n1;1,x\r\n/dev/ttyUSB1;1,y\r\n\r\n") << QStringList{"1,x", "1,y"};
        QTest::newRow("tab, keys in lower case") << QByteArray("imei\tsetid\n1\t1,z\n") << QStringList{"1,z"};
        QTest::newRow("Windows-1251")
            << linecodec::encode("IMEI;SETID\n1;1,Склад\n") << QStringList{"1,Склад"};
        QTest::newRow("UTF-8 with a byte-order mark")
            << QByteArray("\xEF\xBB\xBFIMEI,SETID\n1,\"1,Ёлка\"\n") << QStringList{"1,Ёлка"};
        QTest::newRow("a row short of a cell")
            << QByteArray("IMEI,SETID,SETLOG\n1,\"1,a\"\n")
            << QStringList{"Таблица значений %1: в строке 2 2 ячеек, в заголовке 3"};
        QTest::newRow("no key") << QByteArray("IMEI\n1\n")
                                << QStringList{"Таблица значений %1: в заголовке нет ни одного параметра"};
        QTest::newRow("a key named twice, in any case")
            << QByteArray("IMEI,SETID,setid\n1,\"1,a\",\"1,b\"\n")
            << QStringList{"Таблица значений %1: параметр SETID назван в заголовке дважды"};
        QTest::newRow("a port named twice")
            << QByteArray("модем;SETLOG\n/dev/ttyUSB1;0\n2;0\n/dev/ttyUSB1;1\n")
            << QStringList{"Таблица значений %1: строка 4: модем /dev/ttyUSB1 уже назван в строке 2"};
        QTest::newRow("a character outside the basic plane")
            << QByteArray("IMEI,SETID\n1,\"1,\xf0\x9f\x98\x80\"\n")
            << QStringList{
                   "Таблица значений %1: строка 2, SETID: символ «U+1F600» не передаётся модему (линия "
                   "передаёт только Windows-1251)"};
    }
    void valuesTables()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QStringList, setIds);
        const QString table = dir.filePath("table.csv");
        QVERIFY(writeBytes(table, csv));
        const CliRun run = runCli({"check", dir.filePath("set.txt"), "--values", table, "--json"});
        const QJsonDocument document = QJsonDocument::fromJson(run.out);
        QStringList got;
        if (document.isArray()) {
            QCOMPARE(run.status, 0);
            for (const QJsonValue &row : document.array())
                got.append(row.toObject().value("set").toObject().value("SETID").toString());
        } else {
            QCOMPARE(run.status, 1);
            for (QString &message : setIds)
                message = message.arg(table);
            for (const QJsonValue &message : document.object().value("messages").toArray())
                got.append(message.toString());
        }
        QCOMPARE(got, setIds);
    }

    // A rack in one command: the search finds four modems among five ports, each gets the template with its
    // own row of the values table (by IMEI or by port), one without a row is skipped, one unplugged halfway
    // through its records fails alone; the status is the worst. Then every modem read into a folder, each
    // file named after the IMEI, with the summary table.
    void allAtOnce()
    {
        SimFixture rack;
        rack.addSilentPort();
        QStringList imeis;
        for (int i = 0; i < 4; ++i) {
            imeis.append(QString("86000000000000%1").arg(i));
            rack.addModem()->setInfo("IMEI", imeis.last());
        }
        sim::SimModem *unplugged = rack.modem(4);
        const QString file = dir.filePath("rack.txt"), values = dir.filePath("rack.csv");
        QVERIFY(writeBytes(file, fileOf(sim::SimModem::defaultParams())));
        QVERIFY(writeBytes(values,
                           QString("модем,SETID,ADMTEL1\n%1,\"1,Склад-0\",+79990000000\n%2,\"1,Склад-1\",\n"
                                   "%3,\"1,Склад-3\",+79990000003\n")
                               .arg(imeis[0], rack.modem(2)->slavePath(), imeis[3])
                               .toUtf8()));
        auto process = startCli({"write", file, "--all", "--values", values, "--json"}, rack.portNames());
        QTRY_VERIFY_WITH_TIMEOUT(unplugged->log().size() >= 8, 30000);
        unplugged->hangUp();
        const CliRun run = finishCli(*process);
        QCOMPARE(run.status, 2);
        QJsonArray array = QJsonDocument::fromJson(run.out).array();
        QCOMPARE(array.size(), 5);
        // The silent port searched comes first, in the search's order, with its state and no status.
        const QJsonObject silentPort = array.takeAt(0).toObject();
        QCOMPARE(silentPort.value("port").toString(), rack.portNames().first());
        QCOMPARE(silentPort.value("state").toString(), QString("silent"));
        QVERIFY(silentPort.value("status").isNull());
        const QStringList setIds{"1,Склад-0", "1,Склад-1", "1,OBJ-17", "1,Склад-3"};
        for (int i = 0; i < 4; ++i) {
            const QJsonObject o = array.at(i).toObject();
            QCOMPARE(o.value("state").toString(), QString("finished"));
            sim::SimModem *m = rack.modem(i + 1);
            QCOMPARE(o.value("port").toString(), m->slavePath());
            QCOMPARE(o.value("imei").toString(), imeis[i]);
            if (i < 2) {
                QCOMPARE(o.value("status").toInt(), 0);
                QCOMPARE(m->param("SETID"), setIds[i]);
                QCOMPARE(m->param("ADMTEL1"), i == 0 ? QString("+79990000000") : QString());
            }
        }
        QCOMPARE(array.at(2).toObject().value("status").toInt(), 1);
        QCOMPARE(array.at(2).toObject().value("messages").toArray().at(0).toString(),
                 "Нет строки для этого модема в " + values + ": модем пропущен");
        QCOMPARE(rack.modem(3)->records(), (QByteArrayList{"MODEM?;", "IMEI;"}));
        QCOMPARE(array.at(3).toObject().value("status").toInt(), 2);
        QCOMPARE(array.at(3).toObject().value("messages").toArray().at(0).toString(),
                 "Связь с модемом потеряна");
        QCOMPARE(unplugged->writeAllCount(), 0);

        const QString folder = dir.filePath("rack");
        QVERIFY(QDir().mkpath(folder));
        const QStringList three = rack.portNames().mid(1, 3);
        const CliRun read = runCli({"read", "--ports", three.join(','), "--out-dir", folder, "--jobs", "2"});
        QCOMPARE(read.status, 0);
        QStringList lines = QString::fromUtf8(read.out).split('\n', Qt::SkipEmptyParts);
        QVERIFY2(lines.size() == 4, read.out.constData());
        for (int i = 0; i < 3; ++i) {
            const QString saved = QDir(folder).filePath(imeis[i] + ".txt");
            QCOMPARE(parseFile(readBytes(saved)).value("SETID"), setIds[i]);
            QCOMPARE(lines[i + 1].simplified(),
                     QString("%1 - %2 0 прочитан в %3").arg(three[i], imeis[i], saved));
        }
    }

    // A modem's answer to "IMEI;" never becomes a path: only 14 to 17 digits name its file, anything else
    // names it after the port; the summary shows the answer escaped, and nothing lands outside the folder.
    void imeiNeverAPath_data()
    {
        QTest::addColumn<QString>("imei");
        QTest::addColumn<bool>("named");    // the file is named after the IMEI
        QTest::addColumn<QString>("shown"); // the summary's IMEI column
        QTest::newRow("15 digits") << "356938035643817" << true << "356938035643817";
        QTest::newRow("13 digits") << "3569380356438" << false << "3569380356438";
        QTest::newRow("a path upwards") << "../escaped" << false << "../escaped";
        QTest::newRow("an absolute path") << dir.filePath("abs") << false << dir.filePath("abs");
        QTest::newRow("terminal control, a line break")
            << "\x1b[2J\b3569380\n35643817" << false << "\\x1B[2J\\x083569380\\n35643817";
    }
    void imeiNeverAPath()
    {
        QFETCH(QString, imei);
        QFETCH(bool, named);
        QFETCH(QString, shown);
        SimFixture one;
        sim::SimModem *m = one.addModem();
        m->setInfo("IMEI", imei);
        QTemporaryDir outer;
        const QString folder = outer.filePath("sets");
        QVERIFY(QDir().mkpath(folder));
        const CliRun run = runCli({"read", "--all", "--out-dir", folder}, one.portNames());
        QVERIFY2(run.status == 0, run.err.constData());
        const QString name = named ? imei : m->slavePath().mid(5).replace('/', '_');
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{name + ".txt"});
        QCOMPARE(QDir(outer.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"sets"});
        QVERIFY(!QFile::exists(dir.filePath("abs.txt")));
        const QMap<QString, QStringList> rows = summaryRows(run.out);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first().value(2), shown);
        QVERIFY(!run.out.contains('\x1b') && !run.out.contains('\b'));
    }

    // Ctrl+C or SIGTERM in a rack run: no new modem starts; the one under way stops before "WRITEALL;" or,
    // once that has left, finishes its read-back. The summary says each modem's result, the silent and busy
    // ports searched among them, and the status is 130 (143 for SIGTERM).
    void rackRunInterrupted_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<bool>("afterWriteAll"); // the signal once the first modem's "WRITEALL;" has left
        QTest::newRow("Ctrl+C during the records") << int(SIGINT) << false;
        QTest::newRow("SIGTERM during the read-back") << int(SIGTERM) << true;
    }
    void rackRunInterrupted()
    {
        QFETCH(int, signalNumber);
        QFETCH(bool, afterWriteAll);
        SimFixture rack;
        const QString silentPort = rack.addSilentPort()->slavePath();
        const QString busyPort = rack.addBusyPort();
        QVector<sim::SimModem *> modems;
        for (int i = 0; i < 3; ++i) {
            modems.append(rack.addModem());
            modems.last()->setInfo("IMEI", QString("86000000000001%1").arg(i));
        }
        const QString file = dir.filePath("interrupted.txt");
        QVERIFY(writeBytes(file, fileOf(sim::SimModem::defaultParams())));
        auto process = startCli({"write", file, "--all", "--jobs", "1"}, rack.portNames());
        // One modem at a time, in the ports' order: the first is under way.
        if (afterWriteAll)
            QTRY_VERIFY_WITH_TIMEOUT(modems.first()->writeAllCount() == 1, 30000);
        else
            QTRY_VERIFY_WITH_TIMEOUT(modems.first()->records().size() >= 4, 30000);
        QCOMPARE(::kill(pid_t(process->processId()), signalNumber), 0);
        const CliRun run = finishCli(*process);
        QCOMPARE(run.status, 128 + signalNumber);
        const QMap<QString, QStringList> rows = summaryRows(run.out);
        QCOMPARE(rows.size(), 5);
        QCOMPARE(rows.value(silentPort).mid(3), (QStringList{"-", "модем не ответил"}));
        QCOMPARE(rows.value(busyPort).mid(3), (QStringList{"-", "порт занят другой программой"}));
        int interrupted = 0;
        for (sim::SimModem *m : modems) {
            const QStringList result = rows.value(m->slavePath()).mid(3);
            if (m->writeAllCount() == 1) {
                QCOMPARE(result, (QStringList{"0", "записан и проверен"}));
                QCOMPARE(m->records().last(), QByteArray("READALL;"));
            } else {
                ++interrupted;
                QCOMPARE(result.value(0), QString::number(128 + signalNumber));
                QVERIFY2(result.value(1).startsWith("прервано"), qPrintable(result.value(1)));
                QVERIFY(!m->records().contains("WRITEALL;"));
            }
        }
        QCOMPARE(modems.first()->writeAllCount(), afterWriteAll ? 1 : 0);
        QVERIFY(interrupted >= 2);
        // The last never started: it only answered the search.
        QCOMPARE(modems.last()->records(), QByteArrayList{"MODEM?;"});
    }

    // Two modems that give one IMEI: one is written, the other refused (status 1) and left as it was; a
    // modem that names no IMEI gets nothing (status 2); --expect 4 with three found fails the run (status 2).
    void oneImeiOneWrite()
    {
        SimFixture rack;
        sim::SimModem *a = rack.addModem();
        sim::SimModem *b = rack.addModem();
        sim::SimModem *mute = rack.addModem();
        mute->setReply("IMEI;", "");
        const QString file = dir.filePath("same.txt");
        QVERIFY(writeBytes(file, fileOf(sim::SimModem::defaultParams())));
        const CliRun run = runCli({"write", file, "--all", "--expect", "4"}, rack.portNames());
        QCOMPARE(run.status, 2);
        QVERIFY2(run.errLines().contains("Найдено модемов: 3, ожидалось: 4"), run.err.constData());
        QCOMPARE(a->writeAllCount() + b->writeAllCount(), 1);
        sim::SimModem *written = a->writeAllCount() == 1 ? a : b;
        sim::SimModem *refusedOne = written == a ? b : a;
        QCOMPARE(refusedOne->records(), (QByteArrayList{"MODEM?;", "IMEI;"}));
        QCOMPARE(mute->records(), (QByteArrayList{"MODEM?;", "IMEI;"}));
        const QMap<QString, QStringList> rows = summaryRows(run.out);
        QCOMPARE(rows.value(written->slavePath()).mid(3), (QStringList{"0", "записан и проверен"}));
        QCOMPARE(rows.value(refusedOne->slavePath()).mid(3),
                 (QStringList{"1", "IMEI 356938035643809 уже назвал модем на порту " + written->slavePath() +
                                       ": модем не записан"}));
        QCOMPARE(rows.value(mute->slavePath()).mid(2), (QStringList{"-", "2", "модем не назвал IMEI"}));
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
                // The read-back that differs is read once more before it is believed.
                QCOMPARE(m->records(),
                         expected << "READALL;" << (i < 7 ? QByteArrayList() : QByteArrayList{"READALL;"}));
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
