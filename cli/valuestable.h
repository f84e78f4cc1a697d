#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// A table of each modem's own values: the first column names the modem (an IMEI or a port's path), the
// header names record keys, each further cell is the value of its column's key for that modem. Comma,
// semicolon or tab separated (whichever the header uses first), cells quoted with '"' where they hold one.
namespace valuestable {

struct Row
{
    QString modem; // the first cell
    QMap<QString, QString> values;
};

struct Table
{
    QStringList keys;
    QVector<Row> rows;
    // Why the table was refused, each naming its row and key; empty when it was taken. A table is refused
    // where a cell would not reach the modem as it stands: a ";" (it ends a record), a line break, a "," in a
    // key of one field, a character the line cannot carry; and where a modem or a key is named twice.
    QStringList errors;
};

// The table in a file's bytes (UTF-8 or Windows-1251, as parameter files are read).
Table parse(const QByteArray &bytes);

// The row for the modem with this IMEI on this port; null when none.
const Row *rowFor(const Table &table, const QString &imei, const QString &port);

} // namespace valuestable
