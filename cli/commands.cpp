#include "cli/commands.h"

#include "cli/interrupt.h"
#include "cli/modemlink.h"
#include "cli/output.h"
#include "cli/portnames.h"
#include "cli/valuestable.h"
#include "files/paramfile.h"
#include "files/safename.h"
#include "link/portlist.h"
#include "link/writeplan.h"
#include "params/formrecords.h"
#include "params/linecodec.h"
#include "params/loadback.h"
#include "params/records.h"

#include "link/serialport.h"
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <QSet>

#include <functional>
#include <memory>
#include <mutex>

namespace commands {

namespace {

struct Difference
{
    QString key, modem, file;
};

// What one run did with one modem (or one set, offline): said as it happens in text, and given whole to
// --json at the end.
struct Report
{
    QString port;
    QString imei;
    QString row; // check --values: the row's first cell
    int status = ok;
    QStringList messages;
    bool hasSet = false;
    QStringList recordTexts;
    bool compared = false;
    QVector<Difference> differences;
    bool replied = false;
    QString reply;
    QString file;
    // Several modems: "finished", "interrupted", or for a port searched where no modem answered, the state
    // velon-cli ports gives it ("silent", "busy", "no-permission", ...).
    QString state = QStringLiteral("finished");
    bool modem = true;    // false: a port searched where no modem answered, nothing done there
    bool writes = false;  // the write command: --json says whether "WRITEALL;" reached the modem
    bool written = false; // "WRITEALL;" left whole and the modem did not restart meanwhile
};

// One modem's work: its report, its progress line, and how it speaks.
struct Work
{
    const Options &options;
    Report &report;
    int line = 0;

    // In text a message is said at once; several modems at once each name their port.
    void say(const QString &message) const
    {
        report.messages.append(message);
        if (options.json)
            return;
        // A message may quote a value the modem sent: escaped, as every text output is.
        const QString who = output::escaped(!report.row.isNull() ? report.row : report.port);
        const QString text = output::escaped(message);
        output::say((options.fleet() || !report.row.isNull()) && !who.isEmpty() ? who + ": " + text : text);
    }
    int fail(int status, const QString &message) const
    {
        say(message);
        report.status = qMax(report.status, status);
        return status;
    }
    // A stop was asked: this modem's work ends here, said as what it leaves behind.
    bool stopped(const QString &what = QStringLiteral("прервано")) const
    {
        if (!interrupt::requested())
            return false;
        report.state = QStringLiteral("interrupted");
        fail(interrupt::status(), what);
        return true;
    }
    void progress(const QString &text) const { output::progress(line, output::escaped(text)); }
    // Asked before the work where a script will want to know which modem it was.
    bool asksImei() const { return options.json || options.fleet() || !options.values.isEmpty(); }
};

QString lostMessage()
{
    return QStringLiteral("Связь с модемом потеряна");
}

// Opens the given port, or finds the modem as the window does: every port probed at once, the first to
// answer taken. Says why when there is none.
bool connectModem(ModemLink &link, const Work &work)
{
    if (!work.options.port.isEmpty()) {
        const QString path = portopen::devicePath(work.options.port);
        work.report.port = path;
        const portopen::Problem problem = link.open(path);
        if (problem == portopen::Problem::None)
            return true;
        work.fail(noLink, path + ": " + portopen::describe(problem, link.errorText()));
        return false;
    }
    const QStringList paths = portnames::available();
    if (paths.isEmpty()) {
        work.fail(noLink, QStringLiteral("COM портов не обнаружено"));
        return false;
    }
    work.progress(QStringLiteral("Поиск модема"));
    QVector<portsurvey::Port> ports;
    std::unique_ptr<SerialPort> answered;
    const int found = portsurvey::find(paths, &ports, {}, &answered);
    if (found >= 0) {
        const QString path = paths.at(found);
        work.report.port = path;
        // The work goes on on the port object the modem answered on: no close and open between.
        if (answered) {
            link.adopt(std::move(answered));
            return true;
        }
        const portopen::Problem problem = link.open(path);
        if (problem == portopen::Problem::None)
            return true;
        work.fail(noLink, path + ": " + portopen::describe(problem, link.errorText()));
        return false;
    }
    work.fail(noLink, portsurvey::noneOpened(ports)
                          ? QStringLiteral("Не удалось открыть порт. Проверьте подключение")
                          : QStringLiteral("Модем не обнаружен. Проверьте подключение"));
    return false;
}

// required: a modem that names no IMEI gets nothing (a write to one of several: its row and its place in the
// summary hang on it).
bool askImei(ModemLink &link, const Work &work, bool required = false)
{
    if (work.stopped())
        return false;
    if (!work.asksImei())
        return true;
    work.progress(QStringLiteral("Запрос IMEI модема ") + work.report.port);
    work.report.imei = link.askImei();
    if (link.lost()) {
        work.fail(noLink, lostMessage());
        return false;
    }
    if (work.report.imei.isEmpty() && required) {
        work.fail(noLink, QStringLiteral("модем не назвал IMEI"));
        return false;
    }
    if (work.report.imei.isEmpty())
        work.say(QStringLiteral("Модем не назвал IMEI"));
    return true;
}

// The modem's set, parsed as the window parses it. A reply that did not end whole is taken as the window's
// read takes it (its check names the first key missing), unless whole is asked for: a comparison never
// takes a cut or damaged reply for the modem's set. A read changes nothing, so it ends at a stop.
enum class Whole { AsTheWindowReads, Required };
int readModem(ModemLink &link, const Work &work, QMap<QString, QString> *params, Whole whole)
{
    if (work.stopped())
        return work.report.status;
    work.progress(QStringLiteral("Чтение параметров из модема ") + work.report.port);
    const setreply::Reply reply = link.readSet([] { return interrupt::requested(); });
    switch (reply.end) {
    case setreply::End::NoReply:
        return work.fail(noLink, QStringLiteral("Модем не ответил"));
    case setreply::End::Interrupted:
        if (work.stopped())
            return work.report.status;
        return work.fail(noLink, lostMessage());
    case setreply::End::PortLost:
        return work.fail(noLink, lostMessage());
    case setreply::End::Restarted:
        return work.fail(noLink, QStringLiteral("Модем перезапустился"));
    case setreply::End::Incomplete:
        if (whole == Whole::Required)
            return work.fail(noLink, QStringLiteral("Ответ модема неполный"));
        break;
    case setreply::End::Complete:
        break;
    }
    *params = records::toParamsMap(records::splitRecords(reply.bytes));
    return ok;
}

// One read-back of a write: the set when it came whole; otherwise the verdict said (not checked, or not
// written when the modem restarted).
int readBack(ModemLink &link, const Work &work, QMap<QString, QString> *params)
{
    work.progress(QStringLiteral("Проверка записи в модем ") + work.report.port);
    const setreply::Reply reply = link.readSet();
    if (reply.end == setreply::End::Restarted || link.restarted()) {
        work.report.written = false;
        return work.fail(noLink, QStringLiteral("Модем перезапустился: параметры не записаны"));
    }
    switch (reply.end) {
    case setreply::End::NoReply:
        return work.fail(noLink, QStringLiteral("Модем не ответил: параметры записаны, но не проверены"));
    case setreply::End::PortLost:
    case setreply::End::Interrupted:
        return work.fail(noLink,
                         QStringLiteral("Параметры записаны, но не проверены: связь с модемом потеряна"));
    case setreply::End::Incomplete:
        return work.fail(noLink,
                         QStringLiteral("Параметры записаны, но не проверены: ответ модема неполный"));
    case setreply::End::Restarted:
    case setreply::End::Complete:
        break;
    }
    *params = records::toParamsMap(records::splitRecords(reply.bytes));
    return ok;
}

// What a fresh window makes of a set: its messages said, refused where a value would not be taken or the
// record texts would not load back (the rule before any save or write).
int takeSet(const QMap<QString, QString> &params, const Work &work, QStringList *recordTexts)
{
    const loadback::Taken taken = loadback::freshTake(params);
    for (const QString &message : taken.messages)
        work.say(message);
    if (!taken.refusal.isEmpty()) {
        work.report.status = qMax(work.report.status, refused);
        return refused;
    }
    *recordTexts = taken.recordTexts;
    return ok;
}

// A file's bytes, "-" being standard input; a file that cannot be read is the caller's mistake (66).
int readInputFile(const QString &file, const Work &work, QByteArray *bytes)
{
    paramfile::ReadFile read;
    if (file == "-") {
        read.result = output::readStdin(paramfile::maxFileBytes, &read.bytes)
                          ? paramfile::ReadResult::Read
                          : paramfile::ReadResult::NotOpened;
        if (read.bytes.size() > paramfile::maxFileBytes)
            read.result = paramfile::ReadResult::TooLarge;
    } else {
        read = paramfile::read(file);
    }
    if (read.result == paramfile::ReadResult::NotOpened)
        return work.fail(noInput, paramfile::notOpenedMessage() + ": " + file);
    if (read.result == paramfile::ReadResult::TooLarge)
        return work.fail(refused, paramfile::tooLargeMessage());
    *bytes = read.bytes;
    return ok;
}

// A parameter file's set before the check, as the window loads it.
int loadParams(const QString &file, const Work &work, QMap<QString, QString> *params)
{
    QByteArray bytes;
    if (const int status = readInputFile(file, work, &bytes))
        return status;
    const QString text = paramfile::fileText(bytes);
    const QByteArray set = paramfile::setBytesOfText(text);
    if (set.isEmpty())
        return work.fail(refused, paramfile::emptySetMessage());
    // The window's warning, said where it says it: before the checks.
    const QStringList replaced = paramfile::keysWithReplacedCharacters(text);
    if (!replaced.isEmpty())
        work.say(paramfile::replacedCharactersMessage(replaced));
    *params = records::toParamsMap(records::splitRecords(set));
    return ok;
}

int loadValues(const QString &file, const Work &work, valuestable::Table *table)
{
    QByteArray bytes;
    if (const int status = readInputFile(file, work, &bytes))
        return status;
    *table = valuestable::parse(bytes);
    for (const QString &error : table->errors)
        work.fail(refused, QStringLiteral("Таблица значений %1: %2").arg(file, error));
    return table->errors.isEmpty() ? ok : refused;
}

// The set's bytes to a file ("-" or empty: standard output).
int saveSet(const QStringList &recordTexts, const QString &file, const Work &work)
{
    QString message;
    switch (output::writeFile(file.isEmpty() ? QStringLiteral("-") : file, paramfile::fileBytes(recordTexts),
                              &message)) {
    case output::Written::Done:
        return ok;
    case output::Written::NotCreated:
        return work.fail(cannotCreate, message);
    case output::Written::WriteFailed:
        break;
    }
    if (message.isEmpty()) {
        work.report.status = qMax(work.report.status, writeError);
        return writeError;
    }
    return work.fail(writeError, message);
}

// The set a modem's work uses: the template, or with --values the template with the modem's row.
struct Template
{
    QMap<QString, QString> params;
    QStringList recordTexts; // checked, without --values
    valuestable::Table values;
    QString valuesFile;
};

// The template with a row's values, before the check.
QMap<QString, QString> withRow(QMap<QString, QString> params, const valuestable::Row &row)
{
    for (auto kv = row.values.begin(); kv != row.values.end(); ++kv)
        params.insert(kv.key(), kv.value());
    return params;
}

int setFor(const Template &t, const Work &work, QStringList *recordTexts)
{
    if (t.valuesFile.isEmpty()) {
        *recordTexts = t.recordTexts;
        return ok;
    }
    const valuestable::Row *row = valuestable::rowFor(t.values, work.report.imei, work.report.port);
    if (!row)
        return work.fail(refused, QStringLiteral("Нет строки для этого модема в ") + t.valuesFile +
                                      QStringLiteral(": модем пропущен"));
    return takeSet(withRow(t.params, *row), work, recordTexts);
}

// Which modem of a run gave which IMEI: a second modem naming one already taken is not written, so that two
// modems never get one row and a cloned IMEI shows up.
class ImeiClaims
{
public:
    // The port that claimed the IMEI first; empty when this one is the first.
    QString claim(const QString &imei, const QString &port)
    {
        std::lock_guard<std::mutex> guard(lock);
        if (imei.isEmpty())
            return QString();
        const auto it = ports.constFind(imei);
        if (it != ports.constEnd())
            return it.value();
        ports.insert(imei, port);
        return QString();
    }

private:
    std::mutex lock;
    QMap<QString, QString> ports;
};

// The files of several modems read into one folder: each after its IMEI when it is one, or its port; a
// second modem giving the same IMEI adds its port, so that no file takes the place of another. A modem's
// answer never becomes a path: safename makes every name, and the path is checked to stay in the folder.
class FileNames
{
public:
    explicit FileNames(const QString &dir) : dir(dir) {}

    // Empty, said, when the name would lead out of the folder.
    QString take(const Work &work)
    {
        const Report &r = work.report;
        QString path;
        {
            std::lock_guard<std::mutex> guard(lock);
            QString name = safename::forModem(r.imei, r.port);
            if (taken.contains(name))
                name = safename::fromText(name + '-' + safename::fromText(r.port));
            const QString base = name.left(safename::maxLength - 4);
            for (int n = 2; taken.contains(name); ++n)
                name = safename::fromText(base + '-' + QString::number(n));
            taken.insert(name);
            path = QDir(dir).filePath(name + ".txt");
        }
        if (safename::inside(dir, path))
            return path;
        work.fail(cannotCreate, QStringLiteral("Файл ведёт за пределы папки %1: %2").arg(dir, path));
        return QString();
    }

private:
    const QString dir;
    std::mutex lock;
    QSet<QString> taken;
};

// Into target, or (several modems) into a file named once the IMEI is known.
void readWork(ModemLink &link, const Work &work, const QString &target, FileNames *names = nullptr)
{
    if (!askImei(link, work))
        return;
    QMap<QString, QString> params;
    if (readModem(link, work, &params, Whole::AsTheWindowReads) != ok ||
        takeSet(params, work, &work.report.recordTexts) != ok)
        return;
    work.report.hasSet = true;
    if (target.isEmpty() && !names)
        return;
    work.report.file = names ? names->take(work) : target;
    if (!work.report.file.isEmpty())
        saveSet(work.report.recordTexts, work.report.file, work);
}

// The keys whose value in the other set differs from the one the record texts write, noted in the report:
// the window's comparison, whose differing rows come first. only: when given, just these keys.
QStringList noteDifferences(const Work &work, const QStringList &recordTexts,
                            const QMap<QString, QString> &other, const QStringList *only = nullptr)
{
    work.report.compared = true;
    QStringList keys;
    for (const writeplan::ComparedKey &row : writeplan::compare(recordTexts, other)) {
        if (!row.differs)
            break;
        if (only && !only->contains(row.key))
            continue;
        work.report.differences.append({row.key, row.other, row.form});
        keys.append(row.key);
    }
    return keys;
}

void diffWork(ModemLink &link, const Work &work, const Template &t)
{
    QStringList recordTexts;
    if (!askImei(link, work) || setFor(t, work, &recordTexts) != ok)
        return;
    QMap<QString, QString> modem;
    if (readModem(link, work, &modem, Whole::Required) != ok)
        return;
    if (!noteDifferences(work, recordTexts, modem).isEmpty())
        work.report.status = qMax(work.report.status, refused);
}

// claims: the IMEIs of the run's other modems (several modems only).
void writeWork(ModemLink &link, const Work &work, const Template &t, ImeiClaims *claims = nullptr)
{
    QStringList recordTexts;
    if (!askImei(link, work, claims != nullptr))
        return;
    if (claims) {
        const QString first = claims->claim(work.report.imei, work.report.port);
        if (!first.isEmpty()) {
            work.fail(refused, QStringLiteral("IMEI %1 уже назвал модем на порту %2: модем не записан")
                                   .arg(work.report.imei, first));
            return;
        }
    }
    if (setFor(t, work, &recordTexts) != ok)
        return;
    const QStringList sends = writeplan::sends(recordTexts);
    for (int i = 0; i < sends.size(); ++i) {
        // Up to "WRITEALL;" a stop leaves the modem's stored set as it was.
        if (work.stopped(i == 0 ? QStringLiteral("прервано")
                                : QStringLiteral("прервано до WRITEALL;: записей отправлено %1 из %2")
                                      .arg(i)
                                      .arg(sends.size() - 1)))
            return;
        work.progress(
            QStringLiteral("Запись в модем %1: %2 из %3").arg(work.report.port).arg(i + 1).arg(sends.size()));
        if (!link.send(sends.at(i))) {
            work.fail(noLink, lostMessage());
            return;
        }
        link.pause(writeplan::spacingMs);
    }
    // A port that failed while "WRITEALL;" was on the line may have cut it: nothing is known to be stored.
    if (link.lost()) {
        work.fail(noLink, lostMessage());
        return;
    }
    // "WRITEALL;" left whole: the modem has stored the set, unless it restarted meanwhile. From here a stop
    // asked still takes the read-back, so that the run can say what was stored.
    work.report.written = true;
    if (link.restarted()) {
        work.report.written = false;
        work.fail(noLink, QStringLiteral("Модем перезапустился: параметры не записаны"));
        return;
    }
    // Only whole read-backs are compared, and a key is reported only when a second one agrees.
    const QMap<QString, QString> written = writeplan::writtenValues(recordTexts);
    QMap<QString, QString> first;
    if (readBack(link, work, &first) != ok)
        return;
    if (writeplan::mismatchedKeys(written, first).isEmpty()) {
        noteDifferences(work, recordTexts, first);
        return;
    }
    QMap<QString, QString> second;
    if (readBack(link, work, &second) != ok)
        return;
    const QStringList confirmed = writeplan::confirmedMismatches(written, first, second);
    for (const QString &key : noteDifferences(work, recordTexts, second, &confirmed))
        work.fail(refused, writeplan::mismatchMessage(key));
}

QJsonValue orNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

// fleet: an entry of the array of several modems, which says each one's state.
QJsonObject toJson(const Report &r, bool fleet = false)
{
    QJsonObject o;
    if (!r.row.isNull()) {
        o["row"] = r.row;
    } else {
        o["port"] = orNull(r.port);
        o["stablePath"] = orNull(r.port.isEmpty() ? QString() : portnames::stablePath(r.port));
        o["imei"] = orNull(r.imei);
    }
    if (fleet)
        o["state"] = r.state;
    // A port where no modem answered had no work, so no status of its own.
    o["status"] = r.modem ? QJsonValue(r.status) : QJsonValue();
    o["messages"] = QJsonArray::fromStringList(r.messages);
    if (r.hasSet) {
        QJsonObject set;
        const QMap<QString, QString> values = writeplan::writtenValues(r.recordTexts);
        for (auto kv = values.begin(); kv != values.end(); ++kv)
            set[kv.key()] = kv.value();
        o["set"] = set;
    }
    if (r.compared) {
        QJsonArray differences;
        for (const Difference &d : r.differences)
            differences.append(QJsonObject{{"key", d.key}, {"modem", d.modem}, {"file", d.file}});
        o["differences"] = differences;
    }
    if (r.replied)
        o["reply"] = r.reply;
    if (r.writes)
        o["written"] = r.written;
    if (!r.file.isEmpty() && r.file != "-")
        o["file"] = r.file;
    return o;
}

int printJson(const QJsonValue &value)
{
    const QByteArray bytes = value.isArray()
                                 ? QJsonDocument(value.toArray()).toJson(QJsonDocument::Indented)
                                 : QJsonDocument(value.toObject()).toJson(QJsonDocument::Indented);
    return output::toStdout(bytes) ? ok : writeError;
}

// The end of a one-modem (or offline) run: --json's document, the status.
int finish(const Report &report, const Options &options)
{
    if (options.json)
        return qMax(report.status, printJson(toJson(report)));
    return report.status;
}

QString differenceLine(const Difference &d)
{
    return output::escaped(d.key) + '\t' + output::escaped(d.modem) + '\t' + output::escaped(d.file);
}

// --- several modems at once

using ModemWork = std::function<void(ModemLink &, const Work &)>;

// What the summary says of a modem's result.
QString verdict(const Report &r, const QString &command)
{
    if (r.modem && r.status == ok && command == "read")
        return QStringLiteral("прочитан в ") + r.file;
    if (r.modem && r.status == ok && command == "write")
        return QStringLiteral("записан и проверен");
    if (r.modem && r.status == ok)
        return QStringLiteral("совпадает");
    if (command == "diff" && r.compared)
        return QStringLiteral("различий: %1").arg(r.differences.size());
    return r.messages.isEmpty() ? QString() : r.messages.last();
}

// Every column escaped: a port's name or an IMEI is a modem's or a system's word, never the terminal's.
QString summary(const QVector<Report> &reports, const QString &command)
{
    QVector<QStringList> rows{{QStringLiteral("порт"), QStringLiteral("постоянный путь"),
                               QStringLiteral("IMEI"), QStringLiteral("код"), QStringLiteral("итог")}};
    for (const Report &r : reports) {
        const QString stable = portnames::stablePath(r.port);
        rows.append({output::escaped(r.port), stable.isEmpty() ? "-" : output::escaped(stable),
                     r.imei.isEmpty() ? "-" : output::escaped(r.imei),
                     r.modem ? QString::number(r.status) : QStringLiteral("-"),
                     output::escaped(verdict(r, command))});
    }
    QVector<int> widths(5, 0);
    for (const QStringList &row : rows) {
        for (int c = 0; c < 4; ++c)
            widths[c] = qMax(widths[c], row.at(c).size());
    }
    QString text;
    for (const QStringList &row : rows) {
        for (int c = 0; c < 4; ++c)
            text += row.at(c).leftJustified(widths[c] + 2);
        text += row.at(4) + '\n';
    }
    return text;
}

// A searched port's state as velon-cli ports names it, and its verdict.
QString portState(const portsurvey::Port &port, QString *verdict)
{
    if (port.answered) {
        *verdict = QStringLiteral("модем отвечает");
        return QStringLiteral("answered");
    }
    if (port.problem != portopen::Problem::None) {
        static const char *const states[] = {"", "missing", "busy", "no-permission", "error"};
        *verdict = portopen::describe(port.problem, port.errorText);
        return QLatin1String(states[int(port.problem)]);
    }
    if (port.lost) {
        *verdict = QStringLiteral("связь потеряна");
        return QStringLiteral("lost");
    }
    *verdict = QStringLiteral("модем не ответил");
    return QStringLiteral("silent");
}

// The ports of the run, in order: --ports as given, or every port the search tried, those where no modem
// answered with their state and no work (the open port object of each that answered in *answered, by
// index). none says why there is no modem at all.
QVector<Report> fleetReports(const Options &options, QString *none,
                             std::vector<std::unique_ptr<SerialPort>> *answered)
{
    QVector<Report> reports;
    if (!options.ports.isEmpty()) {
        for (const QString &name : options.ports) {
            reports.append(Report());
            reports.last().port = portopen::devicePath(name);
        }
        return reports;
    }
    const QStringList available = portnames::available();
    if (available.isEmpty()) {
        *none = QStringLiteral("COM портов не обнаружено");
        return {};
    }
    output::progress(0, QStringLiteral("Поиск модемов: портов %1").arg(available.size()));
    bool any = false;
    for (const portsurvey::Port &port : portnames::survey(available, answered)) {
        Report r;
        r.port = port.name;
        QString verdict;
        r.state = portState(port, &verdict);
        r.modem = port.answered;
        any = any || port.answered;
        if (port.answered)
            r.state = QStringLiteral("finished");
        else
            r.messages.append(verdict);
        reports.append(r);
    }
    if (!any)
        *none = QStringLiteral("Модем не обнаружен. Проверьте подключение");
    return reports;
}

// Each modem's work on a thread of its own, at most --jobs at once; then the summary or the JSON array, every
// port searched in it. A stop asked meanwhile starts no further modem; those under way end as their work
// allows, and the rest are said to be interrupted.
int runFleet(const Options &options, const QString &command, const ModemWork &modemWork)
{
    QString none;
    std::vector<std::unique_ptr<SerialPort>> answered;
    QVector<Report> reports = fleetReports(options, &none, &answered);
    answered.resize(size_t(reports.size()));
    output::endProgress();
    int status = ok;
    QVector<int> modems;
    for (int i = 0; i < reports.size(); ++i) {
        if (reports.at(i).modem)
            modems.append(i);
        reports[i].writes = reports.at(i).modem && command == "write";
    }
    if (modems.isEmpty()) {
        // An empty array or table alone would not say why.
        output::say(none);
        status = noLink;
    } else if (options.expect > modems.size()) {
        output::say(
            QStringLiteral("Найдено модемов: %1, ожидалось: %2").arg(modems.size()).arg(options.expect));
        status = noLink;
    }
    output::setProgressLines(modems.size());
    int next = 0, running = 0;
    const int limit = options.jobs > 0 ? options.jobs : modems.size();
    QEventLoop loop;
    std::vector<std::unique_ptr<QThread>> threads;
    std::function<void()> startMore = [&] {
        while (running < limit && next < modems.size() && !interrupt::requested()) {
            const int line = next++;
            const int i = modems.at(line);
            QThread *thread = QThread::create([&, i, line] {
                ModemLink link;
                const QString &port = reports[i].port;
                const Work work{options, reports[i], line};
                work.progress(port + QStringLiteral(": открытие порта"));
                // Where the search heard the modem, its port object goes on open.
                portopen::Problem problem = portopen::Problem::None;
                if (answered[size_t(i)])
                    link.adopt(std::move(answered[size_t(i)]));
                else
                    problem = link.open(port);
                if (problem != portopen::Problem::None)
                    work.fail(noLink, portopen::describe(problem, link.errorText()));
                else
                    modemWork(link, work);
                work.progress(port + ": " + verdict(reports[i], command));
            });
            threads.emplace_back(thread);
            if (answered[size_t(i)])
                answered[size_t(i)]->moveToThread(thread);
            ++running;
            QObject::connect(thread, &QThread::finished, &loop, [&] {
                --running;
                startMore();
                if (running == 0)
                    loop.quit();
            });
            thread->start();
        }
    };
    startMore();
    if (running > 0)
        loop.exec();
    for (auto &thread : threads)
        thread->wait();
    output::endProgress();
    output::setProgressLines(1);
    for (int line = next; line < modems.size(); ++line)
        Work{options, reports[modems.at(line)], line}.stopped();

    for (const Report &r : reports)
        status = qMax(status, r.status);
    status = qMax(status, interrupt::status());
    if (options.json) {
        QJsonArray array;
        for (const Report &r : reports)
            array.append(toJson(r, true));
        return qMax(status, printJson(array));
    }
    if (reports.isEmpty())
        return status;
    QString text;
    if (command == "diff") {
        for (const Report &r : reports) {
            for (const Difference &d : r.differences)
                text += output::escaped(r.port) + '\t' + differenceLine(d) + '\n';
        }
        if (!text.isEmpty())
            text += '\n';
    }
    text += summary(reports, command);
    return qMax(status, output::toStdout(text.toUtf8()) ? ok : writeError);
}

// A template file for diff or write, checked before any port is touched; with --values, the table and the
// set of every row with it too (each refusal said under its row), as check --values would.
int loadTemplate(const QString &file, const Work &work, Template *t)
{
    if (const int status = loadParams(file, work, &t->params))
        return status;
    if (work.options.values.isEmpty())
        return takeSet(t->params, work, &t->recordTexts);
    t->valuesFile = work.options.values;
    if (const int status = loadValues(work.options.values, work, &t->values))
        return status;
    for (const valuestable::Row &row : t->values.rows) {
        const loadback::Taken taken = loadback::freshTake(withRow(t->params, row));
        if (taken.refusal.isEmpty())
            continue;
        for (const QString &message : taken.messages)
            work.fail(refused, row.modem + ": " + message);
    }
    return work.report.status;
}

// The command on one modem (--port or the window's search) or on several.
int onModems(const QString &file, const Options &options, const QString &command,
             const std::function<void(ModemLink &, const Work &, const Template &)> &modemWork)
{
    Report report;
    report.writes = command == "write";
    const Work work{options, report};
    Template t;
    if (loadTemplate(file, work, &t) != ok)
        return finish(report, options);
    if (options.fleet())
        return runFleet(options, command, [&](ModemLink &link, const Work &w) { modemWork(link, w, t); });
    ModemLink link;
    if (connectModem(link, work))
        modemWork(link, work, t);
    if (command == "diff" && !options.json && report.compared) {
        QString lines;
        for (const Difference &d : report.differences)
            lines += differenceLine(d) + '\n';
        if (!output::toStdout(lines.toUtf8()))
            report.status = qMax(report.status, writeError);
    }
    return finish(report, options);
}

// infos: the system's ports by path, looked up once (each lookup by name walks every port).
QString portLine(const portsurvey::Port &port, const QMap<QString, SerialPortInfo> &infos, QJsonArray *json)
{
    const SerialPortInfo info = infos.value(port.name);
    QString verdict;
    const QString state = portState(port, &verdict);
    const QString stable = portnames::stablePath(port.name);
    json->append(QJsonObject{{"path", port.name},
                             {"stablePath", orNull(stable)},
                             {"description", info.description()},
                             {"manufacturer", info.manufacturer()},
                             {"serialNumber", info.serialNumber()},
                             {"state", state},
                             {"message", verdict}});
    QStringList columns{port.name,          verdict, stable, info.description(), info.manufacturer(),
                        info.serialNumber()};
    for (QString &column : columns)
        column = output::escaped(column);
    return columns.join('\t');
}

} // namespace

int ports(const Options &options)
{
    const QStringList paths = portnames::available();
    if (paths.isEmpty()) {
        output::say(QStringLiteral("COM портов не обнаружено"));
        return options.json ? qMax(noLink, printJson(QJsonArray())) : noLink;
    }
    output::progress(0, QStringLiteral("Опрос портов: %1").arg(paths.size()));
    bool anyModem = false;
    QString lines;
    QJsonArray json;
    const QMap<QString, SerialPortInfo> infos = portlist::systemPorts();
    for (const portsurvey::Port &port : portnames::survey(paths)) {
        lines += portLine(port, infos, &json) + '\n';
        anyModem = anyModem || port.answered;
    }
    const int status = anyModem ? ok : noLink;
    if (options.json)
        return qMax(status, printJson(json));
    return qMax(status, output::toStdout(lines.toUtf8()) ? ok : writeError);
}

int read(const Options &options)
{
    if (options.fleet()) {
        // The folder is looked at before any port: a run of many modems must not end in nowhere to put them.
        if (!options.outDir.isEmpty()) {
            Report report;
            const Work work{options, report};
            const QFileInfo dir(options.outDir);
            if (!dir.exists())
                work.fail(cannotCreate, QStringLiteral("Папка не найдена: ") + options.outDir);
            else if (!dir.isDir())
                work.fail(cannotCreate, QStringLiteral("Это не папка: ") + options.outDir);
            else if (!dir.isWritable())
                work.fail(cannotCreate, QStringLiteral("Нет прав на запись в папку: ") + options.outDir);
            if (report.status != ok)
                return finish(report, options);
        }
        FileNames names(options.outDir);
        return runFleet(options, "read", [&](ModemLink &link, const Work &work) {
            readWork(link, work, QString(), options.outDir.isEmpty() ? nullptr : &names);
        });
    }
    Report report;
    const Work work{options, report};
    ModemLink link;
    if (connectModem(link, work))
        readWork(link, work, options.out.isEmpty() && !options.json ? QStringLiteral("-") : options.out);
    return finish(report, options);
}

int check(const QString &file, const Options &options)
{
    Report report;
    const Work work{options, report};
    QMap<QString, QString> params;
    if (loadParams(file, work, &params) != ok)
        return finish(report, options);
    if (options.values.isEmpty()) {
        if (takeSet(params, work, &report.recordTexts) == ok) {
            report.hasSet = true;
            if (!options.out.isEmpty()) {
                report.file = options.out;
                saveSet(report.recordTexts, options.out, work);
            }
        }
        return finish(report, options);
    }
    // Every row's set, checked offline as each modem's would be before its write.
    valuestable::Table table;
    if (loadValues(options.values, work, &table) != ok)
        return finish(report, options);
    QVector<Report> rows(table.rows.size());
    QJsonArray array;
    int status = ok;
    for (int i = 0; i < rows.size(); ++i) {
        rows[i].row = table.rows.at(i).modem;
        const Work rowWork{options, rows[i]};
        rows[i].hasSet = takeSet(withRow(params, table.rows.at(i)), rowWork, &rows[i].recordTexts) == ok;
        status = qMax(status, rows[i].status);
        array.append(toJson(rows[i]));
    }
    return options.json ? qMax(status, printJson(array)) : status;
}

int diff(const QString &file, const Options &options)
{
    return onModems(file, options, "diff", diffWork);
}

int write(const QString &file, const Options &options)
{
    ImeiClaims claims;
    return onModems(file, options, "write", [&](ModemLink &link, const Work &work, const Template &t) {
        writeWork(link, work, t, options.fleet() ? &claims : nullptr);
    });
}

int send(const QString &text, const Options &options)
{
    Report report;
    const Work work{options, report};
    // The line carries Windows-1251 only: anything else would reach the modem as "?".
    const QString uncarried = linecodec::firstUncarried(text);
    if (!uncarried.isEmpty()) {
        output::say(linecodec::uncarriedMessage(uncarried));
        return misused;
    }
    ModemLink link;
    if (!connectModem(link, work) || !askImei(link, work))
        return finish(report, options);
    if (!link.send(text)) {
        work.fail(noLink, lostMessage());
        return finish(report, options);
    }
    link.pause(0);
    report.reply = linecodec::decode(link.collect(options.waitMs));
    report.replied = true;
    if (!options.json && !output::toStdout(output::withControlsShown(report.reply).toUtf8()))
        report.status = qMax(report.status, writeError);
    if (link.lost())
        work.fail(noLink, lostMessage());
    return finish(report, options);
}

QString help()
{
    return QStringLiteral(
               "velon-cli: настройка модемов «Велон» из командной строки, по тем же правилам, что и "
               "конфигуратор.\n"
               "\n"
               "Использование: velon-cli КОМАНДА [ПАРАМЕТРЫ] [--json]\n"
               "               velon-cli --help | --version\n"
               "\n"
               "Команды:\n"
               "  ports                        Последовательные порты компьютера, по одному в строке, "
               "столбцы через\n"
               "                               табуляцию: путь, ответил ли на нём модем на \"MODEM?;\" или "
               "почему порт\n"
               "                               не открылся (порт занят другой программой, нет прав на порт, "
               "порт не\n"
               "                               найден), постоянный путь в /dev/serial/by-id, описание, "
               "производитель,\n"
               "                               серийный номер. Порты опрашиваются одновременно: команда "
               "занимает время\n"
               "                               одного опроса (до 2 с).\n"
               "  read [--port P] [--out FILE] Читает параметры модема (\"READALL;\"), проверяет их, как "
               "конфигуратор\n"
               "                               (те же сообщения, в поток ошибок), и выводит 26 записей в "
               "формате файла\n"
               "                               параметров в FILE или в стандартный вывод: байт в байт то, "
               "что сохранил\n"
               "                               бы конфигуратор, прочитав тот же набор.\n"
               "  read --all --out-dir DIR     Читает все модемы сразу, каждый в DIR/IMEI.txt (IMEI из 14-17 "
               "цифр;\n"
               "                               иначе по имени порта без разделителей и управляющих "
               "символов).\n"
               "  check FILE [--out OUT]       Те же проверки для файла параметров, без модема; с --out "
               "записывает в OUT\n"
               "                               то, что сохранил бы конфигуратор, загрузив FILE.\n"
               "  check FILE --values CSV      Проверяет набор каждой строки таблицы CSV (см. --values).\n"
               "  diff FILE [--port P]         Читает модем и выводит каждый параметр, значение которого в "
               "модеме\n"
               "                               отличается от FILE, в порядке параметров: ключ, значение в "
               "модеме,\n"
               "                               значение в файле (через табуляцию). Это то, что изменила бы "
               "запись FILE.\n"
               "  write FILE [--port P]        Записывает FILE в модем: файл, который проверка отвергает, "
               "не\n"
               "                               записывается (ничего не отправляется); иначе 26 записей "
               "уходят в порядке\n"
               "                               и с паузами конфигуратора, затем \"WRITEALL;\", затем набор "
               "читается\n"
               "                               обратно. Сравнивается только целый ответ; о параметре, "
               "который "
               "отличается\n"
               "                               и при втором чтении, выводится \"Параметр записан "
               "некорректно: "
               "КЛЮЧ\".\n"
               "  send TEXT [--port P] [--wait MS]\n"
               "                               Отправляет TEXT как есть и выводит ответ модема, пока линия "
               "не замолчит\n"
               "                               на MS мс (по умолчанию 500). Текст, которого нет в "
               "Windows-1251, не\n"
               "                               отправляется.\n"
               "\n"
               "Параметры:\n"
               "  --all                        read, diff, write: все порты, где отвечает модем, "
               "одновременно; "
               "в конце\n"
               "                               таблица: порт, постоянный путь, IMEI, код, итог; в ней и "
               "порты, где\n"
               "                               модем не ответил (код \"-\"). write пропускает модем, не "
               "назвавший IMEI\n"
               "                               (код 2), и второй модем с уже записанным IMEI (код 1).\n"
               "  --ports P1,P2,...            То же для названных портов (без поиска).\n"
               "  --jobs N                     Не больше N модемов одновременно (по умолчанию все).\n"
               "  --expect N                   С --all: найдено меньше N модемов — код 2.\n"
               "  --out-dir DIR                read --all: папка для файлов (должна существовать).\n"
               "  --values CSV                 write, diff: у каждого модема свои значения. Первый столбец — "
               "IMEI или\n"
               "                               путь порта, заголовок называет ключи (SETID, ADMTEL1...); "
               "значения строки\n"
               "                               заменяют значения FILE до проверки. Модем без строки "
               "пропускается.\n"
               "                               Разделитель , ; или табуляция; UTF-8 или Windows-1251. "
               "Таблица\n"
               "                               отвергается до поиска, если в ячейке \";\", перевод строки, "
               "\",\" у\n"
               "                               параметра из одного поля или символ не из Windows-1251, если "
               "модем или\n"
               "                               ключ назван дважды, или если проверка отвергает набор "
               "строки.\n"
               "  --json                       Один документ JSON в стандартный вывод: порт, постоянный "
               "путь, "
               "IMEI,\n"
               "                               код, сообщения и набор (set) или различия (differences); для "
               "ports и\n"
               "                               --all массив (у каждого элемента state). С --all или --json "
               "модем\n"
               "                               сначала спрашивается \"IMEI;\". У write поле written: true, "
               "если команда\n"
               "                               \"WRITEALL;\" ушла целиком, пока порт был на месте, и модем "
               "не "
               "перезапустился\n"
               "                               (набор записан, даже если не проверен); false — набор не "
               "записан или\n"
               "                               неизвестно, дошёл ли он: запишите снова.\n"
               "  --                           Конец параметров: всё дальше — аргументы.\n"
               "\n"
               "FILE, CSV или OUT \"-\" — стандартный ввод или вывод; OUT, который и есть стандартный "
               "вывод\n"
               "(/dev/stdout, файл после \">>\"), пишется через стандартный вывод. Обычный файл заменяется "
               "только\n"
               "записанным целиком; FIFO или устройство записывается как есть, без усечения.\n"
               "Без --port модем ищется, как в конфигураторе: все порты опрашиваются сразу, берётся "
               "первый,\nответивший \"MODEM_READY;\", и работа идёт на том же порту, без закрытия и "
               "открытия.\n"
               "Порт называется полным путём (/dev/ttyUSB0); в тексте табуляция, возврат каретки, перевод "
               "строки и\n"
               "обратная косая черта в значениях, именах портов и IMEI пишутся как \\t, \\r, \\n и \\\\, "
               "прочие\n"
               "управляющие символы — как \\xNN.\n"
               "Ctrl+C или SIGTERM в read, diff, write: новые модемы не начинаются, запись останавливается "
               "до\n"
               "\"WRITEALL;\" или, если команда уже ушла, дочитывает набор; затем выводится итог "
               "(\"прервано\"), "
               "код 130\n"
               "(143 для SIGTERM). Второй Ctrl+C завершает программу сразу.\n"
               "Переменная окружения VELON_PORTS заменяет список портов системы (для ports и для поиска): "
               "имена через\n"
               "\"%1\", например VELON_PORTS=/dev/ttyUSB0%1/dev/ttyUSB1.\n"
               "\n"
               "Код завершения (из нескольких модемов — худший):\n"
               "   0  успех (предупреждения допустимы)\n"
               "   1  проверка отвергла набор, файл или таблицу значений, diff нашёл различия, параметры "
               "после "
               "записи\n"
               "      не совпали при двух чтениях, для модема нет строки в --values, второй модем с уже "
               "записанным IMEI\n"
               "   2  модем не найден (или найдено меньше --expect), порт занят, нет прав на порт, связь "
               "потеряна,\n"
               "      модем не ответил (при записи нескольких — и на \"IMEI;\"), ответ модема неполный или "
               "модем\n"
               "      перезапустился\n"
               "  64  неверный вызов\n"
               "  66  входной файл не найден или не читается\n"
               "  73  выходной файл не удалось создать\n"
               "  74  ошибка записи вывода\n"
               " 130  прервано Ctrl+C (143 — SIGTERM)\n"
               "Сообщения и ход работы идут в поток ошибок (ход работы только на терминал), результат в "
               "стандартный\n"
               "вывод.\n")
        .arg(QDir::listSeparator());
}

} // namespace commands
