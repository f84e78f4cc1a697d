#include "exchangelog/commandhistory.h"
#include "exchangelog/exchangelog.h"
#include "testmain.h"

using namespace exchangelog;

// The exchange log's lines and the command history, without any window.
class TestExchangeLog : public QObject
{
    Q_OBJECT

    // Chunks are written "<text" (received) or ">text" (sent); lines come back as "← text" or "→ text",
    // without their time.
    static QStringList linesAfter(const QStringList &chunks)
    {
        ExchangeLog log;
        const QDateTime at(QDate(2026, 3, 5), QTime(7, 8, 9, 12));
        for (const QString &c : chunks)
            log.add({c.startsWith('<') ? Direction::Received : Direction::Sent, c.mid(1).toLatin1(), at});
        QStringList lines;
        for (const QString &text : log.texts(Form::Text)) {
            if (!text.startsWith("07:08:09.012 "))
                return {"bad time: " + text};
            lines.append(text.mid(13));
        }
        return lines;
    }

private slots:
    void bytesAreShownWhole_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("hex");
        QTest::newRow("reply") << QByteArray("OK;\r\n") << "OK;\\r\\n"
                               << "4F 4B 3B 0D 0A";
        QTest::newRow("controls, NUL, DEL") << QByteArray("a\x00\t\x1b\x7f", 5) << "a\\0\\t\\x1B\\x7F"
                                            << "61 00 09 1B 7F";
        QTest::newRow("backslash") << QByteArray("C:\\n") << "C:\\\\n"
                                   << "43 3A 5C 6E";
        QTest::newRow("Cyrillic, and the byte the codec has no letter for")
            << QByteArray("\xCC\xD2\xD1\x98") << QString::fromUtf8("МТС\\x98") << "CC D2 D1 98";
    }
    void bytesAreShownWhole()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(QString, hex);
        QCOMPARE(visibleText(bytes), text);
        QCOMPARE(hexText(bytes), hex);
    }

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
    }
    void linesJoinAndBreak()
    {
        QFETCH(QStringList, chunks);
        QFETCH(QStringList, lines);
        QCOMPARE(linesAfter(chunks), lines);
    }

    // Newest lines only, old ones in batches, numbers that tell a view what went; filter case aside.
    void boundedAfterAHundredThousandLines()
    {
        ExchangeLog log;
        int batches = 0;
        for (int i = 0; i < 100000; ++i) {
            const int before = log.count();
            log.add({Direction::Received, "DEBUG=" + QByteArray::number(i) + ";\r\n", QDateTime()});
            QVERIFY(log.count() <= keptLines + trimBatch);
            batches += log.count() < before;
        }
        const qint64 dropped = 100000 - log.count();
        QVERIFY(log.count() >= keptLines);
        QCOMPARE(dropped, qint64(batches) * (trimBatch + 1));
        QCOMPARE(log.firstNumber(), dropped);
        QCOMPARE(log.line(0).bytes, "DEBUG=" + QByteArray::number(dropped) + ";\r\n");
        QCOMPARE(log.line(log.count() - 1).bytes, QByteArray("DEBUG=99999;\r\n"));
        log.clear();
        QCOMPARE(log.count(), 0);
        QCOMPARE(log.firstNumber(), qint64(100000));
        QVERIFY(passes("12:00:00.000 ← imei=1", "IMEI") && !passes("12:00:00.000 → AT;", "OK"));
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
    }

    void historyKeepsTheNewestHundred()
    {
        CommandHistory history;
        for (int i = 0; i < 150; ++i)
            history.add(QString::number(i));
        QCOMPARE(history.commands().size(), CommandHistory::maxCommands);
        QCOMPARE(history.commands().first(), QString("149"));
        QCOMPARE(history.commands().last(), QString("50"));
    }
};

VELON_TEST_MAIN(TestExchangeLog)
#include "tst_exchangelog.moc"
