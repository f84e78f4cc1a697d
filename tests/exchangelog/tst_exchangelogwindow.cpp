#include "app/mainwindow.h"
#include "exchangelog/capturingport.h"
#include "exchangelog/exchangelogwindow.h"
#include "params/records.h"
#include "simfixture.h"
#include "testmain.h"

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

    template <class W> W *widget(QWidget *in, const char *name) const
    {
        W *w = in->findChild<W *>(name);
        if (!w)
            qFatal("no widget %s", name);
        return w;
    }
    MainWindow *window() const { return f->window(); }
    void send(const QString &command)
    {
        widget<QLineEdit>(window(), "lineEdit_commandToModem")->setText(command);
        widget<QToolButton>(window(), "toolButton")->click();
    }
    QStringList shownLines() const
    {
        const QString text =
            widget<QPlainTextEdit>(window()->exchangeLogWindow(), "plainTextEdit_log")->toPlainText();
        return text.isEmpty() ? QStringList() : text.split('\n');
    }
    static QString fileText(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString("(not written)");
    }

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules("default.debug=false"); }
    void init() { f = std::make_unique<SimFixture>(); }
    void cleanup() { f.reset(); }

    // Search, read, write and two typed commands: the log holds exactly what crossed the line, in order and
    // with its direction, and the open window shows it as it comes; filter, hex, copy, save and clear work
    // on those lines.
    void wholeConversation()
    {
        sim::SimModem *modem = f->addModem();
        modem->setReply("AT;", "OK;\r\n");
        f->startWindow();
        widget<QAction>(window(), "action_exchangeLog")->trigger();
        QWidget *logWindow = window()->exchangeLogWindow();
        QVERIFY(logWindow->isVisible() && logWindow->isWindow() && !logWindow->isModal());

        QByteArray set;
        for (const auto &kv : sim::SimModem::defaultParams())
            set += (kv.first + "=" + kv.second + ";\r\n").toLatin1();
        QVector<QPair<Direction, QByteArray>> expected{{Direction::Sent, "MODEM?;"},
                                                       {Direction::Received, "MODEM_READY;\r\n"},
                                                       {Direction::Sent, "READALL;"}};
        const auto replySet = [&] {
            for (const QByteArray &line : set.split('\n').mid(0, 26))
                expected.append({Direction::Received, line + '\n'});
        };
        replySet();
        widget<QToolButton>(window(), "toolButton_readModemParams")->click();
        for (const QString &key : records::sendingOrder())
            expected.append({Direction::Sent, window()->recordText(key).toLatin1()});
        expected << qMakePair(Direction::Sent, QByteArray("WRITEALL;"))
                 << qMakePair(Direction::Sent, QByteArray("READALL;"));
        replySet();
        widget<QToolButton>(window(), "toolButton_writeModemParams")->click();
        expected << qMakePair(Direction::Sent, QByteArray("IMEI;"))
                 << qMakePair(Direction::Received, QByteArray("IMEI=356938035643809;\r\n"))
                 << qMakePair(Direction::Sent, QByteArray("AT;"))
                 << qMakePair(Direction::Received, QByteArray("OK;\r\n"));
        send("IMEI;");
        // Taken in by the window before the next send clears the port.
        QTRY_COMPARE(widget<QLineEdit>(window(), "lineEdit_IMEILevel")->text(), QString("356938035643809"));
        send("AT;");
        QTRY_COMPARE(window()->exchangeLog()->count(), expected.size());
        QCOMPARE(f->boxes().texts(), QStringList());

        const ExchangeLog *log = window()->exchangeLog();
        QByteArray sent, received;
        for (int i = 0; i < log->count(); ++i) {
            QCOMPARE(qMakePair(log->line(i).direction, log->line(i).bytes), expected.at(i));
            (log->line(i).direction == Direction::Sent ? sent : received) += log->line(i).bytes;
            QVERIFY(i == 0 || log->line(i - 1).at <= log->line(i).at);
        }
        QCOMPARE(sent, modem->received());
        QCOMPARE(received, modem->sent());
        QTRY_COMPARE(shownLines(), log->texts(Form::Text));
        QCOMPARE(shownLines().last().mid(12), QString(" ← OK;\\r\\n"));
        QVERIFY(QTime::fromString(shownLines().last().left(12), "hh:mm:ss.zzz").isValid());

        // The whole log, as shown, into the file the dialog names.
        QTemporaryDir dir;
        files::FileDialogs dialogs;
        dialogs.saveFileName = [&](QWidget *, const QString &caption, const QString &,
                                   const QString &filter) {
            return caption == "Сохранить журнал обмена" && filter == "Текст (*.txt)" ? dir.filePath("log.txt")
                                                                                     : QString();
        };
        window()->setFileDialogs(dialogs);
        widget<QToolButton>(logWindow, "toolButton_save")->click();
        QCOMPARE(fileText(dir.filePath("log.txt")), shownLines().join('\n') + '\n');

        widget<QLineEdit>(logWindow, "lineEdit_filter")->setText("imei");
        QCOMPARE(shownLines().size(), 2);
        QVERIFY(shownLines().at(0).endsWith("→ IMEI;") && shownLines().at(1).contains("← IMEI=3569"));
        // The filter looks at the lines as shown: in hex, at the bytes.
        widget<QCheckBox>(logWindow, "checkBox_hex")->setChecked(true);
        QCOMPARE(shownLines(), QStringList());
        widget<QLineEdit>(logWindow, "lineEdit_filter")->setText("49 4d 45 49");
        QCOMPARE(shownLines().size(), 2);
        QVERIFY(shownLines().at(0).endsWith("→ 49 4D 45 49 3B"));
        auto *view = widget<QPlainTextEdit>(logWindow, "plainTextEdit_log");
        view->selectAll();
        widget<QToolButton>(logWindow, "toolButton_copy")->click();
        QCOMPARE(QApplication::clipboard()->text(), shownLines().join('\n'));
        widget<QLineEdit>(logWindow, "lineEdit_filter")->clear();
        widget<QCheckBox>(logWindow, "checkBox_hex")->setChecked(false);
        widget<QToolButton>(logWindow, "toolButton_clear")->click();
        QTRY_COMPARE(shownLines(), QStringList());
        send("AT;");
        QTRY_COMPARE(shownLines().size(), 2);

        // Closing the main window closes the log's too, so the program can end.
        window()->close();
        QVERIFY(!logWindow->isVisible());
    }

    // A window opened late shows what came before; a closed one catches up when shown again; the debug
    // console is saved as its lines.
    void closedWindowCatchesUpAndConsoleIsSaved()
    {
        sim::SimModem *modem = f->addModem();
        f->startWindow();
        widget<QAction>(window(), "action_exchangeLog")->trigger();
        QCOMPARE(shownLines(), window()->exchangeLog()->texts(Form::Text));
        window()->exchangeLogWindow()->close();
        modem->sendDebug("GSM: CREG=1");
        QTRY_COMPARE(window()->exchangeLog()->count(), 3);
        widget<QAction>(window(), "action_exchangeLog")->trigger();
        QCOMPARE(shownLines(), window()->exchangeLog()->texts(Form::Text));

        QTemporaryDir dir;
        files::FileDialogs dialogs;
        dialogs.saveFileName = [&](QWidget *, const QString &, const QString &, const QString &) {
            return dir.filePath("console.txt");
        };
        window()->setFileDialogs(dialogs);
        widget<QAction>(window(), "action_saveDebugConsole")->trigger();
        QCOMPARE(fileText(dir.filePath("console.txt")),
                 widget<QTextBrowser>(window(), "textBrowser")->toPlainText() + '\n');
        QVERIFY(fileText(dir.filePath("console.txt")).endsWith("   GSM: CREG1\n"));
    }

    // A hundred thousand lines with the window open, an unfinished one at the end of each round: the
    // window shows exactly the log's newest lines, the unfinished one as it grows.
    void boundedWithTheWindowOpen()
    {
        f->startWindow();
        widget<QAction>(window(), "action_exchangeLog")->trigger();
        ExchangeLog *log = window()->exchangeLog();
        const auto add = [log](const QByteArray &bytes) {
            log->add({Direction::Received, bytes, QDateTime::currentDateTime()});
        };
        for (int round = 0; round < 10; ++round) {
            add("tial;\n");
            for (int i = 0; i < 10000; ++i)
                add("DEBUG=" + QByteArray::number(round * 10000 + i) + ";\n");
            add("DEBUG=par");
            QTRY_COMPARE(shownLines(), log->texts(Form::Text));
        }
        QVERIFY(log->count() <= keptLines + trimBatch);
    }

    // Up and Down bring the commands back into the real line; the send sends exactly what the line shows.
    void historyOnTheCommandLine()
    {
        sim::SimModem *modem = f->addModem();
        f->startWindow();
        auto *line = widget<QLineEdit>(window(), "lineEdit_commandToModem");
        send("IMEI;");
        send("OPERATOR;");
        line->setText("draft");
        QTest::keyClick(line, Qt::Key_Up);
        QCOMPARE(line->text(), QString("OPERATOR;"));
        QTest::keyClick(line, Qt::Key_Up);
        QCOMPARE(line->text(), QString("IMEI;"));
        QTest::keyClick(line, Qt::Key_Down);
        QTest::keyClick(line, Qt::Key_Down);
        QCOMPARE(line->text(), QString("draft"));
        QTest::keyClick(line, Qt::Key_Up);
        QTest::keyClick(line, Qt::Key_Up);
        widget<QToolButton>(window(), "toolButton")->click();
        QTRY_COMPARE(modem->records(), (QByteArrayList{"MODEM?;", "IMEI;", "OPERATOR;", "IMEI;"}));
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
