#include "app/mainwindow.h"
#include "exchangelog/capturingport.h"
#include "exchangelog/exchangelogwindow.h"
#include "params/records.h"
#include "simfixture.h"
#include "testmain.h"
#include "testutil.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolButton>

using namespace exchangelog;

// The exchange log and the command history in the real window, against the simulated modem.
class TestExchangeLogWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<SimFixture> f;

    template <class W = QWidget> W *widget(const char *name, QWidget *in = nullptr) const
    {
        return child<W>(in ? in : f->window(), name);
    }
    QWidget *openLog() const
    {
        widget<QAction>("action_exchangeLog")->trigger();
        return f->window()->exchangeLogWindow();
    }
    void send(const QString &command) const
    {
        widget<QLineEdit>("lineEdit_commandToModem")->setText(command);
        widget<QToolButton>("toolButton")->click();
    }
    QStringList shownLines() const
    {
        const QString text =
            widget<QPlainTextEdit>("plainTextEdit_log", f->window()->exchangeLogWindow())->toPlainText();
        return text.isEmpty() ? QStringList() : text.split('\n');
    }

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules("default.debug=false"); }
    void init() { f = std::make_unique<SimFixture>(); }
    void cleanup() { f.reset(); }

    // A search, a read, a write, two typed commands, one of them again from the history, and a debug line:
    // the log holds exactly what crossed the line, in order and with its direction; the window shows it as
    // it comes, and catches up after it was closed; filter, hex, copy, the two saves and clear work on
    // those lines.
    void wholeConversation()
    {
        sim::SimModem *modem = f->addModem();
        modem->setReply("AT;", "OK;\r\n");
        MainWindow *window = f->startWindow();
        QWidget *logWindow = openLog();
        QVERIFY(logWindow->isVisible() && logWindow->isWindow() && !logWindow->isModal());

        QVector<QPair<Direction, QByteArray>> expected;
        const auto out = [&](const QByteArray &bytes) { expected.append({Direction::Sent, bytes}); };
        const auto in = [&](const QByteArray &bytes) { expected.append({Direction::Received, bytes}); };
        const auto set = [&] {
            for (const auto &kv : sim::SimModem::defaultParams())
                in((kv.first + "=" + kv.second + ";\r\n").toLatin1());
        };
        // A read and a write each ask the modem who it is first.
        const QByteArray imei = "IMEI=356938035643809;\r\n";
        out("MODEM?;"), in("MODEM_READY;\r\n"), out("IMEI;"), in(imei), out("READALL;"), set();
        widget<QToolButton>("toolButton_readModemParams")->click();
        // A write of values read from the modem asks who it is, then reads its set again.
        out("IMEI;"), in(imei), out("READALL;"), set();
        for (const QString &key : records::sendingOrder())
            out(window->recordText(key).toLatin1());
        out("WRITEALL;"), out("READALL;"), set();
        widget<QToolButton>("toolButton_writeModemParams")->click();
        logWindow->close();
        out("IMEI;"), in(imei), out("AT;"), in("OK;\r\n"), out("IMEI;"), in(imei),
            in("DEBUG=GSM: CREG=1;\r\n");
        send("IMEI;");
        // Taken in by the window before the next send clears the port.
        QTRY_VERIFY(window->exchangeLog()->count() == expected.size() - 5);
        send("AT;");
        QTRY_COMPARE(window->exchangeLog()->count(), expected.size() - 3);
        // Up and Down walk the history in the real line; the send sends what the line shows.
        auto *line = widget<QLineEdit>("lineEdit_commandToModem");
        for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Up})
            QTest::keyClick(line, key);
        QCOMPARE(line->text(), QString("IMEI;"));
        widget<QToolButton>("toolButton")->click();
        QTRY_COMPARE(window->exchangeLog()->count(), expected.size() - 1);
        modem->sendDebug("GSM: CREG=1");
        QTRY_COMPARE(window->exchangeLog()->count(), expected.size());
        QCOMPARE(f->boxes().texts(), QStringList());

        const ExchangeLog *log = window->exchangeLog();
        QByteArray sent, received;
        for (int i = 0; i < log->count(); ++i) {
            QCOMPARE(qMakePair(log->line(i).direction, log->line(i).bytes), expected.at(i));
            (log->line(i).direction == Direction::Sent ? sent : received) += log->line(i).bytes;
            QVERIFY(i == 0 || log->line(i - 1).at <= log->line(i).at);
        }
        QCOMPARE(sent, modem->received());
        QCOMPARE(received, modem->sent());
        // Each line names its port.
        QCOMPARE(log->texts(Form::Text).at(log->count() - 4).mid(12),
                 " " + window->serialPort()->portName() + " ← OK;\\r\\n");
        openLog();
        QTRY_COMPARE(shownLines(), log->texts(Form::Text));

        // Both saves write what they show, as UTF-8, into the file the dialog names.
        QTemporaryDir dir;
        files::FileDialogs dialogs;
        dialogs.saveFileName = [&](QWidget *, const QString &caption, const QString &,
                                   const QString &filter) {
            return filter == "Текст (*.txt)" ? dir.filePath(caption + ".txt") : QString();
        };
        window->setFileDialogs(dialogs);
        widget<QToolButton>("toolButton_save", logWindow)->click();
        // The saved lines carry the date with each time.
        QCOMPARE(QString::fromUtf8(readBytes(dir.filePath("Сохранить журнал обмена.txt"))),
                 log->texts(Form::Text, Time::Dated).join('\n') + '\n');
        widget<QAction>("action_saveDebugConsole")->trigger();
        const QString console =
            QString::fromUtf8(readBytes(dir.filePath("Сохранить отладочную консоль.txt")));
        QCOMPARE(console, widget<QTextBrowser>("textBrowser")->toPlainText() + '\n');
        QVERIFY(console.endsWith("   GSM: CREG1\n"));

        // The filter looks at the lines as shown: in hex, at the bytes.
        // (the read's, the write's and two typed "IMEI;", each with its answer).
        widget<QLineEdit>("lineEdit_filter", logWindow)->setText("imei");
        QCOMPARE(shownLines().size(), 8);
        QVERIFY(shownLines().at(6).endsWith("→ IMEI;") && shownLines().at(7).contains("← IMEI=3569"));
        widget<QCheckBox>("checkBox_hex", logWindow)->setChecked(true);
        QCOMPARE(shownLines(), QStringList());
        widget<QLineEdit>("lineEdit_filter", logWindow)->setText("49 4d 45 49");
        QCOMPARE(shownLines().size(), 8);
        QVERIFY(shownLines().at(6).endsWith("→ 49 4D 45 49 3B"));
        widget<QPlainTextEdit>("plainTextEdit_log", logWindow)->selectAll();
        widget<QToolButton>("toolButton_copy", logWindow)->click();
        QCOMPARE(QApplication::clipboard()->text(), shownLines().join('\n'));
        widget<QLineEdit>("lineEdit_filter", logWindow)->clear();
        widget<QToolButton>("toolButton_clear", logWindow)->click();
        QTRY_COMPARE(shownLines(), QStringList());

        // Closing the main window closes the log's too, so the program can end.
        window->close();
        QVERIFY(!logWindow->isVisible());
    }

    // A hundred thousand lines with the window open, an unfinished one at the end of each round: the
    // window shows exactly the log's newest lines, the unfinished one as it grows.
    void boundedWithTheWindowOpen()
    {
        f->startWindow();
        openLog();
        ExchangeLog *log = f->window()->exchangeLog();
        const auto add = [log](const QByteArray &bytes) {
            log->add({Direction::Received, bytes, QDateTime::currentDateTime(), QString()});
        };
        for (int round = 0; round < 10; ++round) {
            add("tial;\n");
            for (int i = 0; i < 10000; ++i)
                add("DEBUG=" + QByteArray::number(round * 10000 + i) + ";\n");
            add("DEBUG=par");
            QTRY_COMPARE(shownLines(), log->texts(Form::Text));
        }
        QVERIFY(log->count() >= keptLines && log->count() <= keptLines + trimBatch);
        QCOMPARE(log->line(log->count() - 2).bytes, QByteArray("DEBUG=99999;\n"));
    }

    // Whoever takes the received bytes, and however (a peek, part of them, all, a clear), each is captured
    // once, in order; each write once.
    void eachByteIsCapturedOnce_data()
    {
        QTest::addColumn<QString>("reader");
        for (const char *reader : {"peek", "read 3", "read all", "clear", "nothing"})
            QTest::newRow(reader) << QString(reader);
    }
    void eachByteIsCapturedOnce()
    {
        QFETCH(QString, reader);
        sim::SimModem modem;
        QVERIFY(modem.start());
        CapturingPort port;
        port.setPortName(modem.slavePath());
        QVERIFY(port.open(QIODevice::ReadWrite));
        QByteArray captured[2];
        connect(&port, &CapturingPort::captured,
                [&](const Chunk &c) { captured[int(c.direction)] += c.bytes; });
        for (int i = 0; i < 4; ++i) {
            port.write("SETLOG=" + QByteArray::number(i) + ";");
            modem.sendRaw("DEBUG=line " + QByteArray::number(i) + ";\r\n");
            QTRY_VERIFY(modem.isOutputIdle() && modem.received().size() == captured[0].size());
            QTRY_COMPARE(captured[1], modem.sent());
            if (reader == "peek")
                port.peek(port.bytesAvailable());
            else if (reader == "read 3")
                port.read(3);
            else if (reader == "read all")
                port.readAll();
            else if (reader == "clear")
                port.clear();
        }
        QTest::qWait(50);
        QCOMPARE(captured[0], modem.received());
        QCOMPARE(captured[1], modem.sent());
    }
};

VELON_TEST_MAIN(TestExchangeLogWindow)
#include "tst_exchangelogwindow.moc"
