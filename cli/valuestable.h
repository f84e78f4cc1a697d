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
    QString error; // why the table was refused; empty when it was taken
};

// The table in a file's bytes (UTF-8 or Windows-1251, as parameter files are read).
Table parse(const QByteArray &bytes);

// The row for the modem with this IMEI on this port; null when none.
const Row *rowFor(const Table &table, const QString &imei, const QString &port);

} // namespace valuestable
