#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

// The exchange log: every byte the configurator wrote to or read from the modem's port, as lines. Nothing
// here touches a widget.
namespace exchangelog {

// Note: something the link did that carries no bytes (a port that could not be opened); its bytes are
// the words, in UTF-8.
enum class Direction { Sent, Received, Note };

// Bytes as they crossed the port in one go.
struct Chunk
{
    Direction direction = Direction::Sent;
    QByteArray bytes;
    QDateTime at;
    QString port; // the port's name; empty when not known
};

// One line of the log: when its first byte crossed, which way, on which port, and its bytes (line feed
// included).
struct Line
{
    QDateTime at;
    Direction direction = Direction::Sent;
    QByteArray bytes;
    bool open = false; // received, and its line feed has not come yet
    QString port;
};

enum class Form { Text, Hex };

// The newest lines of a whole shift, not every line: memory stays bounded. Old lines go in batches, so that
// the window drops them in one edit and not one per new line.
constexpr int keptLines = 20000;
constexpr int trimBatch = 1000;
// A run without line feed (noise, a binary dump) is broken here, so no single line grows without bound.
constexpr int maxLineBytes = 1024;

// The bytes through the line codec, with carriage returns, line feeds and other control bytes written as
// escapes ("\r", "\n", "\t", "\0", "\xHH") and a backslash doubled, so that every byte shows and none is
// ambiguous.
QString visibleText(const QByteArray &bytes);
// "4D 4F 44 45 4D".
QString hexText(const QByteArray &bytes);
// "hh:mm:ss.zzz PORT → text" for what was sent, "hh:mm:ss.zzz PORT ← text" for what was received,
// "hh:mm:ss.zzz PORT ! words" for a note (no PORT when it is not known). Dated: the time as ISO 8601 with
// the date and the offset from UTC ("2026-03-05T07:08:09.012+03:00"), for a saved log.
enum class Time { Clock, Dated };
QString lineText(const Line &line, Form form, Time time = Time::Clock);
// Whether a line's text passes the filter: it holds the filter's text, case aside; an empty filter passes
// all.
bool passes(const QString &lineText, const QString &filter);

// The captured traffic as lines. Received bytes are joined into lines at line feeds, so a reply that came in
// many pieces reads as one line; each send is a line of its own, and a send, a note or bytes of another
// port end an unfinished received line (what comes after it is shown after it).
class ExchangeLog : public QObject
{
    Q_OBJECT

public:
    void add(const Chunk &chunk);
    void clear();

    int count() const { return lines.size(); }
    const Line &line(int i) const { return lines.at(i); }
    // Every line gets the next number; line(0) has firstNumber(). Numbers are never reused, not even by
    // clear(), so a view can tell which of its lines are gone. Only the last line ever changes (it grows),
    // and only until a line follows it.
    qint64 firstNumber() const { return first; }
    QStringList texts(Form form, Time time = Time::Clock) const;

signals:
    // Lines came, the last one grew, or old lines went (all of them, by clear()).
    void changed();

private:
    QVector<Line> lines;
    qint64 first = 0;
};

} // namespace exchangelog
