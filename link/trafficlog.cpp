#include "link/trafficlog.h"

#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

namespace trafficlog {

void append(QTextBrowser *log, const QString &line)
{
    log->append(line);
    QTextDocument *doc = log->document();
    const int excess = doc->blockCount() - keptLines;
    if (excess <= trimBatch)
        return;
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, excess);
    cursor.removeSelectedText();
}

} // namespace trafficlog
