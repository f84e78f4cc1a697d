#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// Writing a set: what goes out, in which order and spacing, and which keys the read-back refutes. Nothing
// here touches a widget or a port.
namespace writeplan {

// After each send has left the line (its line time from the hand-over), the line stays quiet this long
// before the next.
constexpr int spacingMs = 10;

// The texts a write sends for the 26 record texts (in records::paramsKeyList() order): the records in the
// sending order, then "WRITEALL;".
QStringList sends(const QStringList &recordTexts);

// The value each key was written with, as the read-back is compared against it.
QMap<QString, QString> writtenValues(const QStringList &recordTexts);

// The keys, in records::paramsKeyList() order, whose value read back differs from the one written. A key
// missing from the read-back is never taken as equal, not even to an empty value.
QStringList mismatchedKeys(const QMap<QString, QString> &written, const QMap<QString, QString> &readBack);
// A write's verdict from two whole read-backs: only the keys that differ in both. A byte damaged on the line
// in one of them is not the modem's value.
QStringList confirmedMismatches(const QMap<QString, QString> &written, const QMap<QString, QString> &first,
                                const QMap<QString, QString> &second);

// Before a write of record texts whose values came from a read: the keys the engineer did not edit (their
// value is still what the form made of the read, formAfterRead) whose value in the modem's set now differs
// from the read's, by the comparison the write's read-back uses.
QStringList changedSinceRead(const QMap<QString, QString> &read, const QStringList &formAfterRead,
                             const QStringList &recordTexts, const QMap<QString, QString> &modemNow);
// "Набор в модеме отличается от прочитанного в параметрах, которые вы не меняли: SETSIM2, ADMTEL3".
QString changedSinceReadQuestion(const QStringList &keys);

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
