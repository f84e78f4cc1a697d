#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// The kept sets: every set read from a modem, every set written and verified, and the form's set at a
// session's end with unsaved edits, each a parameter file under <root>/<modem>/. Nothing here touches a
// widget.
namespace history {

enum class Kind { Read, Write, Unsaved };

// How many files each modem keeps; older ones go.
constexpr int keptPerModem = 200;

// <the user's data folder>/history.
QString defaultRoot();

// The folder of a modem: its IMEI when the text is one, else the port's name made safe ("pts/3" -> "pts_3").
QString modemFolder(const QString &imei, const QString &portName);

// The 26 record texts, in file order, of a parsed set; a key the set lacks gives an empty line.
QStringList recordTextsOf(const QMap<QString, QString> &params);

// "прочитан из модема", "записан в модем", "не сохранённые изменения".
QString kindText(Kind kind);

struct Kept
{
    QString path;  // the file written; empty when nothing could be
    QString error; // why not
};
// Writes the set as <root>/<modem>/<n>_<yyyy-MM-dd>_<HH-mm-ss.zzz>-<read|write|unsaved>.txt, n counting the
// modem's sets in the order they were kept, and lets the modem keep the newest keptPerModem by that order: a
// clock that ran fast once cannot make the set just kept the oldest.
Kept keep(const QString &root, const QString &modem, Kind kind, const QStringList &recordTexts,
          const QDateTime &at);

struct Entry
{
    QString path;
    QString modem;
    QDateTime at;
    Kind kind = Kind::Read;
    int sequence = 0; // the n of the name; 0 for a set kept before sets were counted
};
// Every kept set of every modem, newest first.
QVector<Entry> entries(const QString &root);

} // namespace history
