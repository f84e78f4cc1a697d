#include "cli/valuestable.h"

#include "cli/portnames.h"
#include "files/paramfile.h"
#include "params/linecodec.h"
#include "params/records.h"

namespace valuestable {

namespace {

struct Line
{
    int number = 0; // in the file, from 1
    QStringList cells;
};

// The lines' cells; a quoted cell may hold the separator, "" for a quote, and line breaks.
QVector<Line> cells(const QString &text, QChar separator)
{
    QVector<Line> lines;
    Line line{1, {}};
    int number = 1;
    QString cell;
    bool quoted = false;
    bool any = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == '\n')
            ++number;
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
            line.cells.append(cell);
            cell.clear();
            any = true;
        } else if (c == '\n') {
            if (any || !cell.isEmpty()) {
                line.cells.append(cell);
                lines.append(line);
            }
            line = {number, {}};
            cell.clear();
            any = false;
        } else if (c != '\r') {
            cell += c;
        }
    }
    if (any || !cell.isEmpty()) {
        line.cells.append(cell);
        lines.append(line);
    }
    return lines;
}

// Why the cell cannot be the key's value as it stands; empty when it can.
QString cellProblem(const QString &key, const QString &value)
{
    if (value.contains(';'))
        return QStringLiteral("точка с запятой в значении недопустима (она завершает запись)");
    if (value.contains('\r') || value.contains('\n'))
        return QStringLiteral("перевод строки в значении недопустим");
    if (value.contains(',') && records::hasOneField(key))
        return QStringLiteral("запятая недопустима: у параметра одно поле");
    const QString uncarried = linecodec::firstUncarried(value);
    if (uncarried.isEmpty())
        return QString();
    QString message = linecodec::uncarriedMessage(uncarried);
    message[0] = message.at(0).toLower();
    return message;
}

// How a first cell names its modem: a port by its full path, an IMEI as it stands.
QString modemKey(const QString &cell)
{
    return cell.contains('/') ? portopen::devicePath(cell) : cell;
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
    const QVector<Line> lines = cells(text, separator);
    if (lines.isEmpty() || lines.first().cells.size() < 2) {
        table.errors.append(QStringLiteral("в заголовке нет ни одного параметра"));
        return table;
    }
    for (const QString &name : lines.first().cells.mid(1)) {
        const QString key = name.trimmed().toUpper();
        if (!records::paramsKeyList().contains(key)) {
            table.errors.append(QStringLiteral("неизвестный параметр в заголовке: ") + name);
            return table;
        }
        if (table.keys.contains(key))
            table.errors.append(QStringLiteral("параметр %1 назван в заголовке дважды").arg(key));
        table.keys.append(key);
    }
    if (!table.errors.isEmpty())
        return table;
    QMap<QString, int> modemLines;
    for (int i = 1; i < lines.size(); ++i) {
        const Line &line = lines.at(i);
        if (line.cells.size() != table.keys.size() + 1) {
            table.errors.append(QStringLiteral("в строке %1 %2 ячеек, в заголовке %3")
                                    .arg(line.number)
                                    .arg(line.cells.size())
                                    .arg(table.keys.size() + 1));
            return table;
        }
        Row row;
        row.modem = line.cells.first().trimmed();
        const QString modem = modemKey(row.modem);
        if (!row.modem.isEmpty() && modemLines.contains(modem)) {
            table.errors.append(QStringLiteral("строка %1: модем %2 уже назван в строке %3")
                                    .arg(line.number)
                                    .arg(row.modem)
                                    .arg(modemLines.value(modem)));
        }
        modemLines.insert(modem, line.number);
        for (int k = 0; k < table.keys.size(); ++k) {
            const QString &key = table.keys.at(k);
            const QString problem = cellProblem(key, line.cells.at(k + 1));
            if (!problem.isEmpty())
                table.errors.append(QStringLiteral("строка %1, %2: %3").arg(line.number).arg(key, problem));
            row.values.insert(key, line.cells.at(k + 1));
        }
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
