#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// Writing a set: what goes out, in which order and spacing, and which keys the read-back refutes. Nothing
// here touches a widget or a port.
namespace writeplan {

// After each send the write waits this long, then until the send has left the line.
constexpr int spacingMs = 10;

// The texts a write sends for the 26 record texts (in records::paramsKeyList() order): the records in the
// sending order, then "WRITEALL;".
QStringList sends(const QStringList &recordTexts);

// The value each key was written with, as the read-back is compared against it.
QMap<QString, QString> writtenValues(const QStringList &recordTexts);

// The keys, in records::paramsKeyList() order, whose value read back differs from the one written (a key
// missing from the read-back counts as an empty value).
QStringList mismatchedKeys(const QMap<QString, QString> &written, const QMap<QString, QString> &readBack);

// One key of a comparison of the form's record texts with another set (a modem's, a file's).
struct ComparedKey
{
    QString key;
    QString form;  // the value the form would write
    QString other; // the other set's value
    bool otherHas = false;
    bool differs = false;
};
// The 26 keys compared as a write's read-back is (and velon-cli's diff compares): the differing ones first,
// each group in records::paramsKeyList() order.
QVector<ComparedKey> compare(const QStringList &recordTexts, const QMap<QString, QString> &other);
// "Различаются параметров: N".
QString differingCountText(int count);

// "Параметр записан некорректно: KEY".
QString mismatchMessage(const QString &key);

} // namespace writeplan
