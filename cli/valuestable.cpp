#include "cli/valuestable.h"

#include "cli/portnames.h"
#include "files/paramfile.h"
#include "params/records.h"

namespace valuestable {

namespace {

// The lines' cells; a quoted cell may hold the separator, "" for a quote, and line breaks.
QVector<QStringList> cells(const QString &text, QChar separator)
{
    QVector<QStringList> lines;
    QStringList line;
    QString cell;
    bool quoted = false;
    bool any = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text.at(i + 1) == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == '"') {
            quoted = true;
            any = true;
        } else if (c == separator) {
            line.append(cell);
            cell.clear();
            any = true;
        } else if (c == '\n') {
            if (any || !cell.isEmpty())
                lines.append(line << cell);
            line.clear();
            cell.clear();
            any = false;
        } else if (c != '\r') {
            cell += c;
        }
    }
    if (any || !cell.isEmpty())
        lines.append(line << cell);
    return lines;
}

} // namespace

Table parse(const QByteArray &bytes)
{
    Table table;
    const QString text = paramfile::fileText(bytes);
    const QString header = text.section('\n', 0, 0);
    QChar separator = ',';
    for (const QChar c : header) {
        if (c == ',' || c == ';' || c == '\t') {
            separator = c;
            break;
        }
    }
    const QVector<QStringList> lines = cells(text, separator);
    if (lines.isEmpty() || lines.first().size() < 2) {
        table.error = QStringLiteral("в заголовке нет ни одного параметра");
        return table;
    }
    for (const QString &name : lines.first().mid(1)) {
        const QString key = name.trimmed().toUpper();
        if (!records::paramsKeyList().contains(key)) {
            table.error = QStringLiteral("неизвестный параметр в заголовке: ") + name;
            return table;
        }
        table.keys.append(key);
    }
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList &line = lines.at(i);
        if (line.size() != table.keys.size() + 1) {
            table.error = QStringLiteral("в строке %1 %2 ячеек, в заголовке %3")
                              .arg(i + 1)
                              .arg(line.size())
                              .arg(table.keys.size() + 1);
            return table;
        }
        Row row;
        row.modem = line.first().trimmed();
        for (int k = 0; k < table.keys.size(); ++k)
            row.values.insert(table.keys.at(k), line.at(k + 1));
        table.rows.append(row);
    }
    return table;
}

const Row *rowFor(const Table &table, const QString &imei, const QString &port)
{
    for (const Row &row : table.rows) {
        if ((!imei.isEmpty() && row.modem == imei) ||
            (!port.isEmpty() && row.modem.contains('/') && portopen::devicePath(row.modem) == port))
            return &row;
    }
    return nullptr;
}

} // namespace valuestable
