#include "history/historystore.h"

#include "files/paramfile.h"
#include "files/safename.h"
#include "params/records.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>

namespace history {

namespace {

const char *const timeFormat = "yyyy-MM-dd_HH-mm-ss.zzz";

QString kindSuffix(Kind kind)
{
    switch (kind) {
    case Kind::Read:
        return QStringLiteral("read");
    case Kind::Write:
        return QStringLiteral("write");
    case Kind::Unsaved:
        return QStringLiteral("unsaved");
    }
    return QString();
}

// The entry a file name stands for; false for any other file.
bool parseName(const QString &name, Entry *entry)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^(?:(\\d{1,9})_)?(\\d{4}-\\d{2}-\\d{2}_\\d{2}-\\d{2}-\\d{2}\\.\\d{3})-(read|write|unsaved)\\.txt$"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return false;
    entry->sequence = match.captured(1).toInt();
    entry->at = QDateTime::fromString(match.captured(2), QLatin1String(timeFormat));
    const QString kind = match.captured(3);
    entry->kind = kind == "read" ? Kind::Read : kind == "write" ? Kind::Write : Kind::Unsaved;
    return entry->at.isValid();
}

void newestFirst(QVector<Entry> &list)
{
    std::stable_sort(list.begin(), list.end(), [](const Entry &a, const Entry &b) {
        return a.at != b.at ? a.at > b.at : a.path > b.path;
    });
}

QVector<Entry> entriesOf(const QString &folder, const QString &modem)
{
    QVector<Entry> list;
    for (const QString &name : QDir(folder).entryList(QDir::Files)) {
        Entry entry;
        if (!parseName(name, &entry))
            continue;
        entry.path = QDir(folder).filePath(name);
        entry.modem = modem;
        list.append(entry);
    }
    return list;
}

} // namespace

QString defaultRoot()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath("history");
}

QString modemFolder(const QString &imei, const QString &portName)
{
    return safename::forModem(imei, portName);
}

QStringList recordTextsOf(const QMap<QString, QString> &params)
{
    QStringList texts;
    for (const QString &key : records::paramsKeyList()) {
        const auto it = params.constFind(key);
        texts.append(it == params.constEnd() ? QString() : records::buildRecord(key, {it.value()}));
    }
    return texts;
}

QString kindText(Kind kind)
{
    switch (kind) {
    case Kind::Read:
        return QCoreApplication::translate("HistoryWindow", "прочитан из модема");
    case Kind::Write:
        return QCoreApplication::translate("HistoryWindow", "записан в модем");
    case Kind::Unsaved:
        return QCoreApplication::translate("HistoryWindow", "не сохранённые изменения");
    }
    return QString();
}

Kept keep(const QString &root, const QString &modem, Kind kind, const QStringList &recordTexts,
          const QDateTime &at)
{
    const QString folder = QDir(root).filePath(modem);
    if (!safename::inside(root, folder))
        return {QString(), QStringLiteral("недопустимое имя папки ") + modem};
    if (!QDir().mkpath(folder))
        return {QString(), QStringLiteral("нет папки ") + folder};
    QVector<Entry> kept = entriesOf(folder, modem);
    int sequence = 0;
    for (const Entry &entry : kept)
        sequence = qMax(sequence, entry.sequence);
    // Another window may keep a set at the same moment: the next free number.
    QString path;
    do {
        path =
            QDir(folder).filePath(QStringLiteral("%1_").arg(++sequence, 6, 10, QChar('0')) +
                                  at.toString(QLatin1String(timeFormat)) + '-' + kindSuffix(kind) + ".txt");
    } while (QFile::exists(path));
    if (paramfile::save(path, paramfile::fileBytes(recordTexts)) != paramfile::SaveResult::Saved)
        return {QString(), QStringLiteral("не удалось записать ") + path};

    kept = entriesOf(folder, modem);
    std::stable_sort(kept.begin(), kept.end(), [](const Entry &a, const Entry &b) {
        return a.sequence != b.sequence ? a.sequence > b.sequence : a.at > b.at;
    });
    for (int i = keptPerModem; i < kept.size(); ++i)
        QFile::remove(kept.at(i).path);
    return {path, QString()};
}

QVector<Entry> entries(const QString &root)
{
    QVector<Entry> all;
    const QDir dir(root);
    for (const QString &modem : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        all += entriesOf(dir.filePath(modem), modem);
    newestFirst(all);
    return all;
}

} // namespace history
