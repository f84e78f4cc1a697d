#include "app/statusline.h"

#include <QFileInfo>

namespace statusline {

namespace {

// "1 параметр не совпал", "3 параметра не совпали", "11 параметров не совпали".
QString mismatchedParameters(int n)
{
    const int lastTwo = n % 100;
    const int last = n % 10;
    if (last == 1 && lastTwo != 11)
        return QString("%1 параметр не совпал").arg(n);
    if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        return QString("%1 параметра не совпали").arg(n);
    return QString("%1 параметров не совпали").arg(n);
}

QString what(const Event &e)
{
    const QString file = QFileInfo(e.subject).fileName();
    const QString port = e.subject.isEmpty() ? QString() : " (" + e.subject + ")";
    switch (e.outcome) {
    case Outcome::ModemFound:
        return "модем найден" + port;
    case Outcome::ModemNotFound:
        return "модем не найден";
    case Outcome::NoPorts:
        return "COM портов не обнаружено";
    case Outcome::PortSilent:
        return "модем не ответил" + port;
    case Outcome::PortNotOpened:
        return "не удалось открыть порт" + port;
    case Outcome::LinkLost:
        return "связь с модемом потеряна";
    case Outcome::WriteError:
        return "ошибка записи в порт";
    case Outcome::NoReply:
        return "модем не ответил";
    case Outcome::ReplyIncomplete:
        return "ответ модема неполный";
    case Outcome::ModemRestarted:
        return "модем перезапустился";
    case Outcome::CommandSent:
        return "команда отправлена";
    case Outcome::EmptyCommand:
        return "пустая команда";
    case Outcome::IdentityRead:
        return "сведения о модеме получены";
    case Outcome::IdentityPartly:
        return "модем не ответил на " + e.subject;
    case Outcome::Read:
        return "прочитаны из модема" + port;
    case Outcome::ReadPartly:
        return "прочитаны из модема" + port + " не полностью";
    case Outcome::Written:
        return "записаны в модем и проверены";
    case Outcome::Mismatched:
        return "записаны, " + mismatchedParameters(e.count);
    case Outcome::Loaded:
        return "загружены из файла " + file;
    case Outcome::LoadedPartly:
        return "загружены из файла " + file + " не полностью";
    case Outcome::WrittenUnchecked:
        return "записаны, но не проверены: модем не ответил";
    case Outcome::WrittenLinkLost:
        return "записаны, но не проверены: связь с модемом потеряна";
    case Outcome::WrittenIncomplete:
        return "записаны, но не проверены: ответ модема неполный";
    case Outcome::WriteRestarted:
        return "не записаны: модем перезапустился";
    case Outcome::Saved:
        return "сохранены в файл " + file;
    case Outcome::SaveRefused:
        return "не сохранены: " + e.subject;
    case Outcome::WriteRefused:
        return "не записаны: " + e.subject;
    case Outcome::NotSaved:
        return "не удалось сохранить файл " + file;
    case Outcome::FileNotOpened:
        return "не удалось открыть файл " + file;
    case Outcome::FileNotRead:
        return "не удалось прочитать файл " + file;
    case Outcome::HistoryNotKept:
        return "набор не сохранён в истории: " + e.subject;
    case Outcome::EditsKept:
        return "прежние изменения сохранены в истории";
    }
    return QString();
}

} // namespace

QString defaults()
{
    return "Значения по умолчанию";
}

bool tellsOrigin(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Read:
    case Outcome::ReadPartly:
    case Outcome::Written:
    case Outcome::Mismatched:
    case Outcome::Loaded:
    case Outcome::LoadedPartly:
        return true;
    default:
        return false;
    }
}

bool clearsEdits(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Read:
    case Outcome::Written:
    case Outcome::Mismatched:
    case Outcome::WrittenUnchecked:
    case Outcome::WrittenIncomplete:
    case Outcome::Loaded:
    case Outcome::Saved:
        return true;
    default:
        return false;
    }
}

bool isUncheckedWrite(Outcome outcome)
{
    switch (outcome) {
    case Outcome::WrittenUnchecked:
    case Outcome::WrittenLinkLost:
    case Outcome::WrittenIncomplete:
    case Outcome::WriteRestarted:
        return true;
    default:
        return false;
    }
}

AfterVerdict afterVerdict(Outcome verdict, Outcome next)
{
    if (!isUncheckedWrite(verdict) || (next != Outcome::LinkLost && next != Outcome::ModemFound))
        return AfterVerdict::Replace;
    if (verdict == Outcome::WrittenLinkLost && next == Outcome::LinkLost)
        return AfterVerdict::Keep;
    return AfterVerdict::Add;
}

QString describe(const Event &event)
{
    return what(event) + " в " + event.at.toString("hh:mm:ss");
}

QString line(const QString &origin, const QString &lastOperation, bool edited)
{
    QString text = edited ? origin + ", изменены" : origin;
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    if (lastOperation.isEmpty())
        return text;
    return text + "; " + lastOperation;
}

} // namespace statusline
