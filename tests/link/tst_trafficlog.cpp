#include "link/trafficlog.h"
#include "testmain.h"

#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

// The traffic log's bound: never fewer than the newest keptLines, never more than a batch above them, and
// always the newest ones, in order.
class TestTrafficLog : public QObject
{
    Q_OBJECT

private slots:
    void keepsTheNewestLinesInOrder()
    {
        QTextBrowser log;
        const int total = 3 * trafficlog::keptLines + 123;
        for (int i = 1; i <= total; ++i) {
            trafficlog::append(&log, QString::number(i));
            const int held = log.document()->blockCount();
            if (i <= trafficlog::keptLines + trafficlog::trimBatch)
                QCOMPARE(held, i);
            else
                QVERIFY2(held >= trafficlog::keptLines &&
                             held <= trafficlog::keptLines + trafficlog::trimBatch,
                         qPrintable(QString::number(held)));
        }
        const QTextDocument *doc = log.document();
        const int held = doc->blockCount();
        int expected = total - held + 1;
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
            QCOMPARE(b.text(), QString::number(expected++));
        QCOMPARE(expected, total + 1);
    }

    // The modem's text is shown as it came, however much it looks like markup: an unclosed tag first, tags,
    // an entity, runs of blanks.
    void lineStaysAsItCame()
    {
        const QString line = "<i>x &amp;   <b>GSM</b> ok   <br>";
        QTextBrowser log;
        trafficlog::append(&log, "first");
        trafficlog::append(&log, line);
        trafficlog::append(&log, "last");
        QCOMPARE(log.toPlainText(), "first\n" + line + "\nlast");
        QCOMPARE(log.document()->blockCount(), 3);
    }
};

VELON_TEST_MAIN(TestTrafficLog)
#include "tst_trafficlog.moc"
