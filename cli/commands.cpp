#include "cli/commands.h"

#include "cli/modemlink.h"
#include "files/paramfile.h"
#include "link/portlist.h"
#include "link/portsurvey.h"
#include "link/writeplan.h"
#include "params/formrecords.h"
#include "params/linecodec.h"
#include "params/loadback.h"
#include "params/records.h"

#include <QDir>
#include <QSerialPortInfo>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace commands {

namespace {

void print(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

bool progressShown = false;

void toStderr(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void say(const QString &line)
{
    endProgress();
    toStderr((line + '\n').toUtf8());
}

// Progress is for a person watching, never for a script's log: on a terminal only, on one line that each
// step overwrites.
void progress(const QString &line)
{
#ifdef Q_OS_UNIX
    static const bool terminal = isatty(STDERR_FILENO) == 1;
    if (!terminal)
        return;
    toStderr(("\r" + line + "\033[K").toUtf8());
    progressShown = true;
#else
    Q_UNUSED(line)
#endif
}

QString lostMessage()
{
    return QStringLiteral("Связь с модемом потеряна");
}

// Opens the given port, or finds the modem as the window does: every port probed at once, the first to
// answer taken. Says why when there is none.
bool connectModem(ModemLink &link, const QString &portName)
{
    if (!portName.isEmpty()) {
        const portopen::Problem problem = link.open(portName);
        if (problem == portopen::Problem::None)
            return true;
        say(portName + ": " + portopen::describe(problem, link.errorText()));
        return false;
    }
    const QStringList names = portlist::availablePortNames();
    if (names.isEmpty()) {
        say(QStringLiteral("COM портов не обнаружено"));
        return false;
    }
    progress(QStringLiteral("Поиск модема"));
    QVector<portsurvey::Port> ports;
    const int found = portsurvey::find(names, &ports);
    if (found >= 0) {
        const portopen::Problem problem = link.open(names.at(found));
        if (problem == portopen::Problem::None)
            return true;
        say(names.at(found) + ": " + portopen::describe(problem, link.errorText()));
        return false;
    }
    say(portsurvey::noneOpened(ports) ? QStringLiteral("Не удалось открыть порт. Проверьте подключение")
                                      : QStringLiteral("Модем не обнаружен. Проверьте подключение"));
    return false;
}

// The modem's set, parsed as the window parses it.
int readModem(ModemLink &link, QMap<QString, QString> *params,
              const QString &noReply = QStringLiteral("Модем не ответил"))
{
    progress(QStringLiteral("Чтение параметров из модема ") + link.portName());
    const setreply::Reply reply = link.readSet();
    if (reply.end == setreply::End::NoReply) {
        say(noReply);
        return noLink;
    }
    if (reply.end == setreply::End::PortLost) {
        say(lostMessage());
        return noLink;
    }
    *params = records::toParamsMap(records::splitRecords(reply.bytes));
    return ok;
}

// What a fresh window makes of a set: its messages said, refused where a value would not be taken or the
// record texts would not load back (the rule before any save or write).
int takeSet(const QMap<QString, QString> &params, QStringList *recordTexts)
{
    const formrecords::Outcome outcome = formrecords::apply(formrecords::startup(), params);
    for (const QString &message : outcome.messages)
        say(message);
    if (!outcome.refusal.isEmpty())
        return refused;
    const QString loadBack = loadback::blockingMessage(outcome.form.recordTexts);
    if (!loadBack.isEmpty()) {
        say(loadBack);
        return refused;
    }
    *recordTexts = outcome.form.recordTexts;
    return ok;
}

// A parameter file loaded as the window loads it.
int loadFile(const QString &file, QStringList *recordTexts)
{
    const paramfile::ReadFile read = paramfile::read(file);
    if (read.result == paramfile::ReadResult::NotOpened) {
        say(paramfile::notOpenedMessage() + ": " + file);
        return refused;
    }
    if (read.result == paramfile::ReadResult::TooLarge) {
        say(paramfile::tooLargeMessage());
        return refused;
    }
    const QByteArray set = paramfile::setBytes(read.bytes);
    if (set.isEmpty()) {
        say(paramfile::emptySetMessage());
        return refused;
    }
    return takeSet(records::toParamsMap(records::splitRecords(set)), recordTexts);
}

// A file to compare or write: loaded and checked before any port is touched.
int loadThenConnect(const QString &file, const Options &options, QStringList *recordTexts, ModemLink &link)
{
    const int status = loadFile(file, recordTexts);
    if (status != ok)
        return status;
    return connectModem(link, options.port) ? ok : noLink;
}

// The file bytes of a set, to the named file or to standard output.
int output(const QStringList &recordTexts, const QString &file)
{
    const QByteArray bytes = paramfile::fileBytes(recordTexts);
    if (file.isEmpty()) {
        print(bytes);
        return ok;
    }
    switch (paramfile::save(file, bytes)) {
    case paramfile::SaveResult::Saved:
        return ok;
    case paramfile::SaveResult::OpenFailed:
        say(paramfile::notOpenedMessage() + ": " + file);
        break;
    case paramfile::SaveResult::WriteFailed:
        say(QStringLiteral("Не удалось сохранить файл: ") + file);
        break;
    }
    return refused;
}

QString portLine(const portsurvey::Port &port)
{
    const QSerialPortInfo info(port.name);
    QStringList known;
    for (const QString &item : {info.description(), info.manufacturer(), info.serialNumber()}) {
        if (!item.isEmpty())
            known.append(item);
    }
    QString line = port.name;
    if (!known.isEmpty())
        line += " (" + known.join("; ") + ")";
    if (port.answered)
        return line + QStringLiteral(": модем отвечает");
    if (port.problem != portopen::Problem::None)
        return line + ": " + portopen::describe(port.problem, port.errorText);
    if (port.lost)
        return line + QStringLiteral(": связь потеряна");
    return line + QStringLiteral(": модем не ответил");
}

} // namespace

void endProgress()
{
    if (!progressShown)
        return;
    toStderr("\r\033[K");
    progressShown = false;
}

int ports()
{
    const QStringList names = portlist::availablePortNames();
    if (names.isEmpty()) {
        say(QStringLiteral("COM портов не обнаружено"));
        return noLink;
    }
    progress(QStringLiteral("Опрос портов: %1").arg(names.size()));
    bool anyModem = false;
    QString lines;
    for (const portsurvey::Port &port : portsurvey::probeAll(names)) {
        lines += portLine(port) + '\n';
        anyModem = anyModem || port.answered;
    }
    print(lines.toUtf8());
    return anyModem ? ok : noLink;
}

int read(const Options &options)
{
    ModemLink link;
    if (!connectModem(link, options.port))
        return noLink;
    QMap<QString, QString> params;
    QStringList recordTexts;
    int status = readModem(link, &params);
    if (status == ok)
        status = takeSet(params, &recordTexts);
    return status == ok ? output(recordTexts, options.out) : status;
}

int check(const QString &file, const Options &options)
{
    QStringList recordTexts;
    const int status = loadFile(file, &recordTexts);
    if (status != ok || options.out.isEmpty())
        return status;
    return output(recordTexts, options.out);
}

int diff(const QString &file, const Options &options)
{
    QStringList recordTexts;
    ModemLink link;
    int status = loadThenConnect(file, options, &recordTexts, link);
    if (status != ok)
        return status;
    QMap<QString, QString> modem;
    status = readModem(link, &modem);
    if (status != ok)
        return status;
    const QMap<QString, QString> written = writeplan::writtenValues(recordTexts);
    const QStringList keys = writeplan::mismatchedKeys(written, modem);
    QString lines;
    for (const QString &key : keys)
        lines += key + '\t' + modem.value(key) + '\t' + written.value(key) + '\n';
    print(lines.toUtf8());
    return keys.isEmpty() ? ok : refused;
}

int write(const QString &file, const Options &options)
{
    QStringList recordTexts;
    ModemLink link;
    int status = loadThenConnect(file, options, &recordTexts, link);
    if (status != ok)
        return status;
    const QStringList sends = writeplan::sends(recordTexts);
    for (int i = 0; i < sends.size(); ++i) {
        progress(
            QStringLiteral("Запись в модем %1: %2 из %3").arg(link.portName()).arg(i + 1).arg(sends.size()));
        if (!link.send(sends.at(i))) {
            say(lostMessage());
            return noLink;
        }
        link.pause(writeplan::spacingMs);
    }
    QMap<QString, QString> readBack;
    status =
        readModem(link, &readBack, QStringLiteral("Модем не ответил: параметры записаны, но не проверены"));
    if (status != ok)
        return status;
    const QStringList keys = writeplan::mismatchedKeys(writeplan::writtenValues(recordTexts), readBack);
    for (const QString &key : keys)
        say(writeplan::mismatchMessage(key));
    return keys.isEmpty() ? ok : refused;
}

int send(const QString &text, const Options &options)
{
    ModemLink link;
    if (!connectModem(link, options.port))
        return noLink;
    if (!link.send(text)) {
        say(lostMessage());
        return noLink;
    }
    link.pause(0);
    print(linecodec::decode(link.collect(options.waitMs)).toUtf8());
    if (link.lost()) {
        say(lostMessage());
        return noLink;
    }
    return ok;
}

QString help()
{
    return QStringLiteral(
               "velon-cli: настройка модемов «Велон» из командной строки, по тем же правилам, что и "
               "конфигуратор.\n"
               "\n"
               "Использование: velon-cli КОМАНДА [ПАРАМЕТРЫ]\n"
               "\n"
               "Команды:\n"
               "  ports                        Последовательные порты компьютера, по одному в строке (имя, "
               "описание,\n"
               "                               производитель, серийный номер, если они известны системе), и "
               "ответил ли\n"
               "                               на каждом модем на \"MODEM?;\" или почему порт не открылся "
               "(порт занят\n"
               "                               другой программой, нет прав на порт, порт не найден). Порты "
               "опрашиваются\n"
               "                               одновременно: команда занимает время одного опроса (до 2 с).\n"
               "  read [--port P] [--out FILE] Читает параметры модема (\"READALL;\"), проверяет их, как "
               "конфигуратор\n"
               "                               (те же сообщения, в поток ошибок), и выводит 26 записей в "
               "формате файла\n"
               "                               параметров в FILE или в стандартный вывод: байт в байт то, "
               "что сохранил\n"
               "                               бы конфигуратор, прочитав тот же набор.\n"
               "  check FILE [--out OUT]       Те же проверки для файла параметров, без модема; с --out "
               "записывает в OUT\n"
               "                               то, что сохранил бы конфигуратор, загрузив FILE.\n"
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
               "                               обратно и для каждого несовпадения выводится \"Параметр "
               "записан\n"
               "                               некорректно: КЛЮЧ\".\n"
               "  send TEXT [--port P] [--wait MS]\n"
               "                               Отправляет TEXT как есть и выводит ответ модема, пока линия "
               "не замолчит\n"
               "                               на MS мс (по умолчанию 500).\n"
               "\n"
               "Без --port модем ищется, как в конфигураторе: первый порт в порядке системы, ответивший "
               "\"MODEM_READY;\".\n"
               "Переменная окружения VELON_PORTS заменяет список портов системы (для ports и для поиска): "
               "имена через\n"
               "\"%1\", например VELON_PORTS=/dev/ttyUSB0%1/dev/ttyUSB1.\n"
               "\n"
               "Код завершения: 0 успех (предупреждения допустимы); 1 проверка отвергла набор или файл, diff "
               "нашёл\n"
               "различия, параметры после записи не совпали или файл не удалось прочитать или записать; 2 "
               "модем не\n"
               "найден, порт не открылся, связь потеряна или модем не ответил; 64 неверный вызов.\n"
               "Сообщения и ход работы идут в поток ошибок (ход работы только на терминал), результат в "
               "стандартный\n"
               "вывод.\n")
        .arg(QDir::listSeparator());
}

} // namespace commands
