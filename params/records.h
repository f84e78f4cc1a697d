#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// Parameter records ("KEY=value;"), the 26 keys and their value lists. Nothing here touches a widget or a
// port.
namespace records {

// The 26 keys in the order in which reading, validating and files handle them.
const QStringList &paramsKeyList();
// The order in which a write sends them: SETCONF first, CSDTEL before ADMTEL.
const QStringList &sendingOrder();

// Whether the key's value is one field (the telephone numbers, SETLOG, PASSET): a "," there would make it
// several.
bool hasOneField(const QString &key);

// Value lists, in the order the combo boxes show them.
const QStringList &baudRateList();
const QStringList &dataBitsList();
const QStringList &parityList(); // "None", "Even", "Odd"
const QStringList &stopBitsList();
const QStringList &onOffCodeList(); // dataControl of SETCOM, flowControl of SETRS
const QStringList &simModeCodeList();
const QStringList &simModeList(); // names for the SIM mode codes
const QStringList &flagCodeList();
const QStringList &prioritySimList();
const QStringList &csdModeList();

// "N"/"E"/"O" for "None"/"Even"/"Odd"; an empty text for anything else.
QString parityLetter(const QString &name);
// "None"/"Even"/"Odd" for "N"/"E"/"O"; an empty text for anything else.
QString parityName(const QString &letter);

// "KEY=" + fields joined by "," + ";".
QString buildRecord(const QString &key, const QStringList &fields);

// Cuts a received set into records: at each ";" the pending text, without ";", CR and LF, becomes one
// record (an empty one included); text after the last ";" is dropped. Bytes after a NUL are ignored.
QStringList splitRecords(const QByteArray &bytes);
// The same for a text already decoded.
QStringList splitRecordTexts(const QString &text);

struct KeyValue
{
    bool valid = false; // false for a record without "="
    QString key;
    QString value;
};
// Splits at the first "=": keys never contain one, values may.
KeyValue splitRecord(const QString &record);

// Builds the key -> value map; a later record of the same key wins; records without "=" add nothing.
QMap<QString, QString> toParamsMap(const QStringList &recordList);

// Whether the bytes hold a terminated record for each of the 26 keys.
bool holdsEveryKey(const QByteArray &bytes);

// Fields of a value: split at every ",", empty fields kept.
QStringList splitFields(const QString &value);

// The value a record text carries: the text without its leading "KEY=" and its closing ";".
QString recordValue(const QString &key, const QString &recordText);

} // namespace records
