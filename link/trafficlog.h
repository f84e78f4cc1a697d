#pragma once

#include <QString>

class QTextBrowser;

namespace trafficlog {

// The traffic log keeps the newest lines of a whole shift, not every line: memory stays bounded.
constexpr int keptLines = 10000;
// Old lines go in batches: removing one block per appended line relayouts the whole log each time,
// which drops a chatty modem's log to a few hundred lines per second.
constexpr int trimBatch = 500;

// Appends one line as plain text, whatever it looks like; once more than keptLines + trimBatch lines are
// held, the oldest go so that exactly the newest keptLines remain.
void append(QTextBrowser *log, const QString &line);

} // namespace trafficlog
