#include "link/trafficlog.h"

#include <QScrollBar>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

namespace trafficlog {

void append(QTextBrowser *log, const QString &line)
{
    // QTextEdit::append() would take a line that looks like markup as HTML: tags vanish, blanks collapse.
    QScrollBar *bar = log->verticalScrollBar();
    const bool atBottom = bar->value() >= bar->maximum();
    QTextDocument *doc = log->document();
    QTextCursor end(doc);
    end.movePosition(QTextCursor::End);
    end.beginEditBlock(); // one change, one relayout
    if (!doc->isEmpty())
        end.insertBlock();
    end.insertText(line);
    end.endEditBlock();
    if (atBottom)
        bar->setValue(bar->maximum());

    const int excess = doc->blockCount() - keptLines;
    if (excess <= trimBatch)
        return;
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, excess);
    cursor.removeSelectedText();
}

} // namespace trafficlog
