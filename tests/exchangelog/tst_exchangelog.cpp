#include "exchangelog/commandhistory.h"
#include "exchangelog/exchangelog.h"
#include "testmain.h"

using namespace exchangelog;

// The exchange log's lines and the command history, without any window.
class TestExchangeLog : public QObject
{
    Q_OBJECT

private slots:
    void bytesAreShownWhole_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("reply") << QByteArray("OK;\r\n") << "OK;\\r\\n";
        QTest::newRow("controls, NUL, DEL") << QByteArray("a\x00\t\x1b\x7f", 5) << "a\\0\\t\\x1B\\x7F";
        QTest::newRow("backslash") << QByteArray("C:\\n") << "C:\\\\n";
        QTest::newRow("Cyrillic, and the byte the codec has no letter for")
            << QByteArray("\xCC\xD2\xD1\x98") << QString::fromUtf8("МТС\\x98");
    }
    void bytesAreShownWhole()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(visibleText(bytes), text);
    }

    // Chunks are "<text" (received), ">text" (sent) or "!words" (a note), after "PORT|" when a port is
    // named; the lines without their time.
    void linesJoinAndBreak_data()
    {
        QTest::addColumn<QStringList>("chunks");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("a reply in three pieces") << QStringList{">IMEI;", "<IM", "<EI=35693", "<8;\r\n"}
                                                 << QStringList{"→ IMEI;", "← IMEI=356938;\\r\\n"};
        QTest::newRow("two lines in one piece, the second unfinished")
            << QStringList{"<OPERATOR=MTS;\r\nRFLE", "<VEL=23;\r\n"}
            << QStringList{"← OPERATOR=MTS;\\r\\n", "← RFLEVEL=23;\\r\\n"};
        QTest::newRow("a send ends the modem's unfinished line")
            << QStringList{"<DEBUG=GS", ">AT;", "<M ok;\r\n"}
            << QStringList{"← DEBUG=GS", "→ AT;", "← M ok;\\r\\n"};
        QTest::newRow("each send is a line")
            << QStringList{">SETLOG=1;", ">WRITEALL;"} << QStringList{"→ SETLOG=1;", "→ WRITEALL;"};
        QTest::newRow("a run without line feed breaks at the longest line")
            << QStringList{"<" + QString(maxLineBytes - 1, 'a'), "<bc\n"}
            << QStringList{"← " + QString(maxLineBytes - 1, 'a') + "b", "← c\\n"};
        QTest::newRow("probes of two ports at once, each line naming its port")
            << QStringList{"pts/1|>MODEM?;", "pts/2|>MODEM?;", "pts/1|<MODEM_RE", "pts/2|<MODEM_READY;\r\n",
                           "pts/1|<ADY;\r\n"}
            << QStringList{"pts/1 → MODEM?;", "pts/2 → MODEM?;", "pts/1 ← MODEM_RE",
                           "pts/2 ← MODEM_READY;\\r\\n", "pts/1 ← ADY;\\r\\n"};
        QTest::newRow("a port that could not be opened")
            << QStringList{"pts/3|<DEBUG=x", "ttyS0|!нет прав на порт"}
            << QStringList{"pts/3 ← DEBUG=x", "ttyS0 ! нет прав на порт"};
    }
    void linesJoinAndBreak()
    {
        QFETCH(QStringList, chunks);
        QFETCH(QStringList, lines);
        ExchangeLog log;
        const QDateTime at(QDate(2026, 3, 5), QTime(7, 8, 9, 12));
        for (const QString &chunk : chunks) {
            const int bar = chunk.indexOf('|');
            const QString c = chunk.mid(bar + 1);
            const Direction direction = c.startsWith('<')   ? Direction::Received
                                        : c.startsWith('>') ? Direction::Sent
                                                            : Direction::Note;
            log.add({direction, c.mid(1).toUtf8(), at, bar < 0 ? QString() : chunk.left(bar)});
        }
        QStringList texts = log.texts(Form::Text);
        for (QString &text : texts)
            text.remove(QRegularExpression("^07:08:09\\.012 "));
        QCOMPARE(texts, lines);
        // A saved log carries the date and the offset from UTC with each time.
        const QRegularExpression dated("^2026-03-05T07:08:09\\.012([+-]\\d\\d:\\d\\d|Z) ");
        for (const QString &text : log.texts(Form::Text, Time::Dated))
            QVERIFY2(dated.match(text).hasMatch(), qPrintable(text));
    }

    // "+" sends a command (the line keeps it, as the window's does), "=" types, "^" and "v" are Up and
    // Down; after each step the line's text.
    void historyWalksAsInATerminal_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("newest first, back to the draft")
            << QStringList{"+IMEI;", "+AT;", "=dra", "^", "^", "^", "v", "v", "v"}
            << QStringList{"IMEI;", "AT;", "dra", "AT;", "IMEI;", "IMEI;", "AT;", "dra", "dra"};
        QTest::newRow("the line still shows the newest")
            << QStringList{"+AT;", "+IMEI;", "^", "v", "v"}
            << QStringList{"AT;", "IMEI;", "AT;", "IMEI;", "IMEI;"};
        QTest::newRow("no repeat in a row, empty not kept")
            << QStringList{"+AT;", "+AT;", "+", "+IMEI;", "+AT;", "^", "^", "^"}
            << QStringList{"AT;", "AT;", "", "IMEI;", "AT;", "IMEI;", "AT;", "AT;"};
    }
    void historyWalksAsInATerminal()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, shown);
        CommandHistory history;
        QString line;
        QStringList seen;
        for (const QString &step : steps) {
            if (step.startsWith('+')) {
                line = step.mid(1);
                history.add(line);
            } else if (step.startsWith('=')) {
                line = step.mid(1);
            } else {
                line = step == "^" ? history.older(line) : history.newer(line);
            }
            seen.append(line);
        }
        QCOMPARE(seen, shown);
        for (int i = 0; i < 150; ++i)
            history.add(QString::number(i));
        QCOMPARE(history.commands().size(), CommandHistory::maxCommands);
        QCOMPARE(history.commands().last(), QString("50"));
    }
};

VELON_TEST_MAIN(TestExchangeLog)
#include "tst_exchangelog.moc"
