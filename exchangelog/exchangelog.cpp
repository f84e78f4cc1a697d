#include "exchangelog/exchangelog.h"

#include "params/linecodec.h"

namespace exchangelog {

namespace {

// How a byte is written when it is not shown as itself; empty when it is.
QString escaped(uchar b)
{
    switch (b) {
    case '\r':
        return QStringLiteral("\\r");
    case '\n':
        return QStringLiteral("\\n");
    case '\t':
        return QStringLiteral("\\t");
    case '\0':
        return QStringLiteral("\\0");
    case '\\':
        return QStringLiteral("\\\\");
    default:
        break;
    }
    // 0x98 is the one byte the line codec has no letter for; it would come out as an invisible control.
    if (b < 0x20 || b == 0x7f || b == 0x98)
        return QStringLiteral("\\x") + QString::number(b, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    return QString();
}

// How many bytes from the start of bytes belong to a line that already holds `held` bytes, and whether
// they finish it (a line feed, or the longest line).
int lineLength(const QByteArray &bytes, int held, bool *finished)
{
    const int room = maxLineBytes - held;
    const int feed = bytes.indexOf('\n');
    if (feed >= 0 && feed < room) {
        *finished = true;
        return feed + 1;
    }
    *finished = bytes.size() >= room;
    return qMin(room, bytes.size());
}

} // namespace

QString visibleText(const QByteArray &bytes)
{
    QString text;
    int run = 0; // start of the bytes not yet written, all shown as themselves
    for (int i = 0; i < bytes.size(); ++i) {
        const QString escape = escaped(uchar(bytes.at(i)));
        if (escape.isEmpty())
            continue;
        text += linecodec::decode(bytes.mid(run, i - run)) + escape;
        run = i + 1;
    }
    return text + linecodec::decode(bytes.mid(run));
}

QString hexText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString lineText(const Line &line, Form form, Time time)
{
    const QString when = time == Time::Dated
                             ? line.at.toOffsetFromUtc(line.at.offsetFromUtc()).toString(Qt::ISODateWithMs)
                             : line.at.toString(QStringLiteral("hh:mm:ss.zzz"));
    const QString where = line.port.isEmpty() ? QString() : ' ' + line.port;
    if (line.direction == Direction::Note)
        return when + where + QStringLiteral(" ! ") + QString::fromUtf8(line.bytes);
    return when + where +
           (line.direction == Direction::Sent ? QStringLiteral(" → ") : QStringLiteral(" ← ")) +
           (form == Form::Hex ? hexText(line.bytes) : visibleText(line.bytes));
}

bool passes(const QString &lineText, const QString &filter)
{
    return lineText.contains(filter, Qt::CaseInsensitive);
}

void ExchangeLog::add(const Chunk &chunk)
{
    if (chunk.bytes.isEmpty())
        return;
    QByteArray rest = chunk.bytes;
    if (!lines.isEmpty() && lines.last().open) {
        Line &last = lines.last();
        if (chunk.direction != Direction::Received || chunk.port != last.port) {
            last.open = false;
        } else {
            bool finished = false;
            const int n = lineLength(rest, last.bytes.size(), &finished);
            last.bytes += rest.left(n);
            last.open = !finished;
            rest.remove(0, n);
        }
    }
    while (!rest.isEmpty()) {
        bool finished = false;
        const int n = chunk.direction == Direction::Note ? rest.size() : lineLength(rest, 0, &finished);
        lines.append({chunk.at, chunk.direction, rest.left(n),
                      chunk.direction == Direction::Received && !finished, chunk.port});
        rest.remove(0, n);
    }
    const int excess = lines.size() - keptLines;
    if (excess > trimBatch) {
        lines.remove(0, excess);
        first += excess;
    }
    emit changed();
}

void ExchangeLog::clear()
{
    first += lines.size();
    lines.clear();
    emit changed();
}

QStringList ExchangeLog::texts(Form form, Time time) const
{
    QStringList list;
    list.reserve(lines.size());
    for (const Line &l : lines)
        list.append(lineText(l, form, time));
    return list;
}

} // namespace exchangelog
