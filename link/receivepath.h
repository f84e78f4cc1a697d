#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QPair>
#include <QString>
#include <QVector>

// The receive path's pure logic: putting lines split across notifications back together, and what one
// line of the modem does to the information fields and the traffic log.
namespace receivepath {

// More than this without a line end is noise, not a line: it is handed on rather than kept.
constexpr int maxKeptBytes = 4096;

// Puts the bytes kept from the previous notification in front of incoming and returns what can be
// handled now. The text after the last line feed stays in kept when, carriage returns aside, it is not
// empty and does not end in ";" (the rest of its line is still on the way).
QByteArray reassemble(QByteArray &kept, const QByteArray &incoming);

enum class Field { Imei, Model, ProgVer, Operator, RfLevel, GsmVer };

struct LineEffect
{
    QVector<QPair<Field, QString>> fields; // in the order they are set
    bool debug = false;
    QString debugText;
    QString part; // the line as changed, for the diagnostics
};

// One line (split at line feeds): CR and ";" removed, then each of the six words found is removed with
// every "=" and the rest goes to its field; a line with "DEBUG" goes to the traffic log.
LineEffect interpretLine(const QString &line);

// "dd.MM.yyyy   hh:mm:ss.zzz   text".
QString debugEntry(const QDateTime &when, const QString &text);

} // namespace receivepath
