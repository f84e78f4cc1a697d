#include "app/mainwindow.h"
#include "debuglines.h"
#include "exchangelog/exchangelog.h"
#include "link/handshake.h"
#include "link/portlist.h"
#include "link/portsurvey.h"
#include "link/portwatch.h"
#include "link/trafficlog.h"
#include "simfixture.h"
#include "testmain.h"
#include "testutil.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCodec>
#include <QTimer>
#include <QToolButton>

// The port search, the send path and the receive path of the real window, against simulated modems on
// pseudo-terminals.
class TestLink : public QObject
{
    Q_OBJECT

    std::unique_ptr<SimFixture> f;

    template <class W> W *widget(const char *name) const { return child<W>(f->window(), name); }
    QComboBox *portList() const { return widget<QComboBox>("comboBox_portList"); }
    SerialPort *port() const { return f->window()->serialPort(); }
    QString statusLine() const { return widget<QLabel>("label_status")->text(); }

    void typeAndSend(const QString &command)
    {
        widget<QLineEdit>("lineEdit_commandToModem")->setText(command);
        widget<QToolButton>("toolButton")->click();
    }
    // Lets everything the modem has still to say arrive and be handled.
    static void settle(sim::SimModem *modem)
    {
        QTRY_VERIFY(modem->isOutputIdle());
        QTest::qWait(40);
    }
    QStringList logLines() const
    {
        QStringList lines;
        const QTextDocument *doc = widget<QTextBrowser>("textBrowser")->document();
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
            lines.append(b.text());
        if (lines == QStringList{QString()})
            lines.clear();
        return lines;
    }
    // One answering modem, window built, its search traffic forgotten.
    sim::SimModem *startWithModem()
    {
        sim::SimModem *modem = f->addModem();
        f->startWindow();
        if (!port()->isOpen() || !f->boxes().texts().isEmpty())
            qFatal("the search did not find the modem");
        settle(modem);
        modem->clearLog();
        return modem;
    }

private slots:
    // The link's diagnostics would exceed the test runner's message limit.
    void initTestCase() { QLoggingCategory::setFilterRules("default.debug=false"); }
    void init() { f = std::make_unique<SimFixture>(); }
    void cleanup() { f.reset(); }

    // --- the search

    void onePortModemAnswersAtOnce()
    {
        sim::SimModem *modem = f->addModem();
        f->startWindow();
        QCOMPARE(f->boxes().texts(), QStringList());
        QVERIFY(port()->isOpen());
        QCOMPARE(portList()->count(), 1);
        QCOMPARE(portList()->currentText(), modem->slavePath());
        QCOMPARE(modem->records(), QByteArrayList{"MODEM?;"});
        QVERIFY(f->window()->isVisible());
        // The line settings every port of the search was given.
        QCOMPARE(port()->baudRate(), qint32(SerialPort::Baud9600));
        QCOMPARE(port()->dataBits(), SerialPort::Data8);
        QCOMPARE(port()->parity(), SerialPort::NoParity);
        QCOMPARE(port()->stopBits(), SerialPort::OneStop);
        QCOMPARE(port()->flowControl(), SerialPort::NoFlowControl);
        QCOMPARE(port()->readBufferSize(), qint64(1024));
        QVERIFY(statusLine().contains("модем найден (" + modem->slavePath() + ")"));
    }

    void threePortsModemOnSecond()
    {
        sim::SimModem *first = f->addSilentPort();
        sim::SimModem *second = f->addModem();
        sim::SimModem *third = f->addModem();
        third->setAnswerDelayMs(1500);
        f->startWindow();
        QCOMPARE(f->boxes().texts(), QStringList());
        QCOMPARE(portList()->currentIndex(), 1);
        QCOMPARE(portList()->currentText(), second->slavePath());
        QVERIFY(port()->isOpen());
        QCOMPARE(first->records(), QByteArrayList{"MODEM?;"});
        QCOMPARE(second->records(), QByteArrayList{"MODEM?;"});
        // Probed at the same time, and let go once the second had answered.
        QTRY_COMPARE(third->records(), QByteArrayList{"MODEM?;"});
        // The other ports were let go: another program can open them now.
        for (sim::SimModem *other : {first, third}) {
            SerialPort holder(other->slavePath());
            QVERIFY(holder.open(QIODevice::ReadWrite));
        }
    }

    void threePortsNoModem()
    {
        for (int i = 0; i < 3; ++i)
            f->addSilentPort();
        f->startWindow();
        QCOMPARE(f->boxes().texts(), QStringList{"Модем не обнаружен. Проверьте подключение "});
        QCOMPARE(f->boxes().boxes().first().title, QString());
        QVERIFY(f->boxes().boxes().first().parent == f->window());
        QVERIFY(!port()->isOpen());
        QCOMPARE(portList()->currentIndex(), 2);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(f->modem(i)->records(), QByteArrayList{"MODEM?;"});
        // All at once: each silent port had its full two seconds.
        QVERIFY2(f->searchMs() >= 1990, QByteArray::number(f->searchMs()));
    }

    void twoUnopenableThenSilent()
    {
        f->addMissingPort();
        f->addBusyPort();
        sim::SimModem *silent = f->addSilentPort();
        f->startWindow();
        QCOMPARE(f->boxes().texts(), QStringList{"Модем не обнаружен. Проверьте подключение "});
        QVERIFY(!port()->isOpen());
        QCOMPARE(silent->records(), QByteArrayList{"MODEM?;"});
    }

    void noPortCanBeOpened()
    {
        f->addMissingPort();
        const QString busy = f->addBusyPort();
        f->startWindow();
        QCOMPARE(f->boxes().texts(), QStringList{"Не удалось открыть порт. Проверьте подключение "});
        QVERIFY(!port()->isOpen());
        QCOMPARE(portList()->currentText(), busy);
    }

    void noSerialPortAtAll()
    {
        f->startWindow();
        QCOMPARE(f->boxes().texts(), QStringList{"COM портов не обнаружено"});
        QCOMPARE(f->boxes().boxes().first().icon, QMessageBox::Critical);
        QVERIFY(f->window()->isVisible());
        QCOMPARE(portList()->count(), 0);
        QVERIFY(!port()->isOpen());
        // Nowhere to send the shutdown record: the program ends without a message.
        f->boxes().clear();
        f->destroyWindow();
        QCOMPARE(f->boxes().texts(), QStringList());
    }

    void answersAroundTheReadyText_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("found");
        QTest::newRow("text before and after") << QByteArray("\x01OK\r\nMODEM_READY;xyz\r\n") << true;
        QTest::newRow("lower case") << QByteArray("modem_ready;\r\n") << false;
        QTest::newRow("without ;") << QByteArray("MODEM_READY\r\n") << false;
        QTest::newRow("cut") << QByteArray("MODEM_REA") << false;
        QTest::newRow("after a NUL") << QByteArray("x\0MODEM_READY;", 14) << false;
    }
    void answersAroundTheReadyText()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, found);
        sim::SimModem *modem = f->addModem();
        modem->setReply("MODEM?;", reply);
        f->startWindow();
        QCOMPARE(port()->isOpen(), found);
        QCOMPARE(f->boxes().texts(),
                 found ? QStringList() : QStringList{"Модем не обнаружен. Проверьте подключение "});
    }

    // --- the receive path

    void imeiLine()
    {
        sim::SimModem *modem = startWithModem();
        typeAndSend("IMEI;");
        QTRY_COMPARE(widget<QLineEdit>("lineEdit_IMEILevel")->text(), QString("356938035643809"));
        QCOMPARE(modem->records(), QByteArrayList{"IMEI;"});
    }

    void operatorAndLevelInOneChunk()
    {
        sim::SimModem *modem = startWithModem();
        modem->setChunking(62, 500); // both lines (30 bytes) in one chunk
        QSignalSpy spy(port(), &SerialPort::readyRead);
        typeAndSend("OPERATOR;");
        QTRY_COMPARE(widget<QLineEdit>("lineEdit_signalLevel")->text(), QString("23"));
        QCOMPARE(widget<QLineEdit>("lineEdit_operator")->text(), QString("MegaFon"));
        QCOMPARE(spy.count(), 1);
    }

    void debugLineGoesToTheLogWithDateAndTime()
    {
        sim::SimModem *modem = startWithModem();
        const QStringList before = logLines();
        modem->sendDebug("GSM: CREG=1");
        QTRY_COMPARE(logLines().size(), before.size() + 1);
        const QString line = logLines().last();
        const QRegularExpression form(
            "^(\\d\\d)\\.(\\d\\d)\\.(\\d{4})   \\d\\d:\\d\\d:\\d\\d\\.\\d{3}   GSM: CREG1$");
        QVERIFY2(form.match(line).hasMatch(), qPrintable(line));
        QCOMPARE(line.left(10), QDate::currentDate().toString("dd.MM.yyyy"));
    }

    void lineWithTwoWords()
    {
        sim::SimModem *modem = startWithModem();
        modem->setInfo("MODEL", "PROGVER5");
        typeAndSend("MODEL;");
        QTRY_COMPARE(widget<QLineEdit>("lineEdit_controllerPO")->text(), QString("5"));
        QCOMPARE(widget<QLineEdit>("lineEdit_modemModel")->text(), QString("PROGVER5"));
    }

    void lineSplitAtEveryByte()
    {
        sim::SimModem *modem = startWithModem();
        QLineEdit *imei = widget<QLineEdit>("lineEdit_IMEILevel");
        for (int at = 1; at < 23; ++at) {
            const QByteArray digits = QByteArray::number(356938035643800LL + at);
            const QByteArray line = "IMEI=" + digits + ";\r\n";
            QCOMPARE(line.size(), 23);
            QSignalSpy changed(imei, &QLineEdit::textChanged);
            modem->sendRaw(line.left(at));
            settle(modem);
            modem->sendRaw(line.mid(at));
            QTRY_COMPARE(changed.count(), 1);
            settle(modem);
            QCOMPARE(changed.count(), 1);
            QCOMPARE(imei->text(), QString(digits));
        }
    }

    void unfinishedLineIsDroppedBySend()
    {
        sim::SimModem *modem = startWithModem();
        modem->sendRaw("IMEI=1111");
        settle(modem);
        typeAndSend("PROGVER;");
        QTRY_COMPARE(widget<QLineEdit>("lineEdit_controllerPO")->text(), QString("2.14"));
        QCOMPARE(widget<QLineEdit>("lineEdit_IMEILevel")->text(), QString());
    }

    void logKeepsTheNewestTenThousandLines()
    {
        sim::SimModem *modem = startWithModem();
        // A shift's worth of lines already in the log; the modem's next lines push it over the bound.
        auto *log = widget<QTextBrowser>("textBrowser");
        for (int i = 0; i < trafficlog::keptLines + trafficlog::trimBatch; ++i)
            log->append("old " + QString::number(i));
        modem->sendDebug("newest");
        QTRY_VERIFY(logLines().last().endsWith("newest"));
        const QStringList lines = logLines();
        QCOMPARE(lines.size(), trafficlog::keptLines);
        QCOMPARE(lines.first(), "old " + QString::number(trafficlog::trimBatch + 1));
    }

    // --- the send path

    void commandGoesOutExactlyAsTyped_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("READALL") << "READALL;" << QByteArray("READALL;");
        QTest::newRow("spaces, no ;") << " IMEI " << QByteArray(" IMEI ");
        QTest::newRow("Cyrillic") << QString::fromUtf8("ОПЕРАТОР;")
                                  << QByteArray("\xCE\xCF\xC5\xD0\xC0\xD2\xCE\xD0;");
    }
    void commandGoesOutExactlyAsTyped()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, bytes);
        sim::SimModem *modem = startWithModem();
        typeAndSend(command);
        QTRY_COMPARE(modem->received(), bytes);
        QTest::qWait(50);
        QCOMPARE(modem->received(), bytes);
        QCOMPARE(f->boxes().texts(), QStringList());
    }

    void readAllOnTheCommandLineChangesNoParameter()
    {
        sim::SimModem *modem = startWithModem();
        QStringList before;
        for (const auto &p : sim::SimModem::defaultParams())
            before.append(f->window()->recordText(p.first));
        typeAndSend("READALL;");
        QTRY_VERIFY(modem->sent().endsWith("SERVER=0,502,30,24;\r\n"));
        settle(modem);
        QStringList after;
        for (const auto &p : sim::SimModem::defaultParams())
            after.append(f->window()->recordText(p.first));
        QCOMPARE(after, before);
        QVERIFY(f->window()->parsedParams().isEmpty());
    }

    void emptyCommandWritesNothing()
    {
        sim::SimModem *modem = startWithModem();
        // What is arriving is not thrown away: the line begun before the click is completed after it.
        modem->sendRaw("IMEI=1111");
        settle(modem);
        typeAndSend(QString());
        QVERIFY(statusLine().contains("пустая команда"));
        modem->sendRaw("22;\r\n");
        QTRY_COMPARE(widget<QLineEdit>("lineEdit_IMEILevel")->text(), QString("111122"));
        QVERIFY(modem->received().isEmpty());
        QCOMPARE(f->boxes().texts(), QStringList());
        QVERIFY(port()->isOpen());
    }

    // A long record followed at once by another: the second send waits until the first has left the line.
    void aSendNeverCutsTheOneBefore()
    {
        sim::SimModem *modem = startWithModem();
        const QString longRecord = "SETURL1=" + QString(90, 'a') + ",502,10;";
        typeAndSend(longRecord);
        typeAndSend("SETLOG=1;");
        typeAndSend("WRITEALL;");
        QTRY_COMPARE(modem->writeAllCount(), 1);
        QCOMPARE(modem->overrunCount(), 0);
        QCOMPARE(modem->records(), (QByteArrayList{longRecord.toLatin1(), "SETLOG=1;", "WRITEALL;"}));
        QCOMPARE(modem->param("SETURL1"), QString(90, 'a') + ",502,10");
    }

    void reopensAfterAClose()
    {
        sim::SimModem *modem = startWithModem();
        port()->close();
        typeAndSend("GSMVER;");
        QTRY_COMPARE(widget<QLineEdit>("lineEdit_GSMModulePO")->text(), QString("SIM800C R14.18"));
        QVERIFY(port()->isOpen());
        QCOMPARE(modem->records(), QByteArrayList{"GSMVER;"});
    }

    void closedPortThatCannotBeReopened()
    {
        sim::SimModem *modem = startWithModem();
        port()->close();
        modem->hangUp();
        QTRY_VERIFY(modem->isHungUp());
        typeAndSend("IMEI;");
        QCOMPARE(f->boxes().texts(), QStringList{"Не удалось открыть порт. Проверьте подключение "});
        QVERIFY(!port()->isOpen());
        QVERIFY(modem->received().isEmpty());
    }

    // The adapter is pulled out in the middle of a reply: the port is closed once, without a storm of
    // errors or messages, and the next send says the port cannot be opened.
    void unpluggedModem()
    {
        sim::SimModem *modem = startWithModem();
        QSignalSpy errors(port(), &SerialPort::errorOccurred);
        modem->setHangUpAt(8);
        typeAndSend("IMEI;");
        QTRY_VERIFY(!port()->isOpen());
        QTest::qWait(100);
        QVERIFY(!port()->isOpen());
        QCOMPARE(f->boxes().texts(), QStringList());
        QVERIFY2(errors.count() < 20, QByteArray::number(errors.count()));
        typeAndSend("IMEI;");
        QCOMPARE(f->boxes().texts(), QStringList{"Не удалось открыть порт. Проверьте подключение "});
    }

    void shutdownRecord()
    {
        sim::SimModem *modem = startWithModem();
        f->destroyWindow();
        QCOMPARE(f->boxes().texts(), QStringList());
        QTRY_COMPARE(modem->records(), QByteArrayList{"DEBUG=L0;"});
        QCOMPARE(modem->debugLevel(), QString("L0"));
        QCOMPARE(modem->overrunCount(), 0);
    }

    void shutdownWithTheModemGone()
    {
        sim::SimModem *modem = startWithModem();
        modem->hangUp();
        QTRY_VERIFY(!port()->isOpen());
        f->destroyWindow();
        QCOMPARE(f->boxes().texts(), QStringList{"Не удалось открыть порт. Проверьте подключение "});
    }

    // --- the search: every port at once, the first to answer taken. Ports: M a modem, L a modem that
    // answers after 1500 ms, S silent, X a name listed for a device that is not there, B busy.
    void searchAllAtOnce_data()
    {
        QTest::addColumn<QString>("ports");
        QTest::addColumn<int>("found"); // among the ports present
        QTest::addColumn<QString>("message");
        const QString notFound = "Модем не обнаружен. Проверьте подключение ";
        QTest::newRow("port 1 of 1") << "M" << 0 << QString();
        QTest::newRow("port 2 of 3") << "SMS" << 1 << QString();
        QTest::newRow("port 8 of 8") << "SSSSSSSM" << 7 << QString();
        QTest::newRow("the first to answer, not the first listed") << "LSM" << 2 << QString();
        QTest::newRow("past ports that cannot be opened") << "XBM" << 1 << QString();
        QTest::newRow("none answers") << "SXS" << -1 << notFound;
        QTest::newRow("none opens") << "XB" << -1 << "Не удалось открыть порт. Проверьте подключение ";
        QTest::newRow("none there") << "X" << -1 << "COM портов не обнаружено";
    }
    void searchAllAtOnce()
    {
        QFETCH(QString, ports);
        QFETCH(int, found);
        QFETCH(QString, message);
        QVector<sim::SimModem *> probed, silent;
        for (const QChar kind : ports) {
            if (kind == 'X') {
                f->addMissingPort();
            } else if (kind == 'B') {
                f->addBusyPort();
            } else {
                probed.append(kind == 'S' ? f->addSilentPort() : f->addModem());
                probed.last()->setAnswerDelayMs(kind == 'L' ? 1500 : 20);
                if (kind == 'S')
                    silent.append(probed.last());
            }
        }
        QStringList present;
        for (int i = 0; i < ports.size(); ++i) {
            if (ports.at(i) != 'X')
                present.append(f->portNames().at(i));
        }
        QStringList warnings;
        {
            const WarningLines collect(&warnings);
            f->startWindow();
        }
        // The search ended as soon as the modem answered: on each silent port's own clock its probe's two
        // seconds were not over yet.
        for (sim::SimModem *s : silent) {
            const double now = s->elapsedMs();
            QVERIFY(!s->log().isEmpty());
            if (found >= 0)
                QVERIFY2(now - s->log().first().lastByteMs < handshake::probeWaitMs,
                         qPrintable(QString::number(now - s->log().first().lastByteMs)));
        }
        // Nothing on the terminal: a closed port is never asked to clear or to set its lines.
        QCOMPARE(warnings, QStringList());
        QCOMPARE(f->boxes().texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(port()->isOpen(), found >= 0);
        QCOMPARE(portList()->count(), present.size());
        QCOMPARE(portList()->currentIndex(), found >= 0 ? found : present.size() - 1);
        // Every port that opened had its probe, once; all but the modem's were let go.
        for (sim::SimModem *modem : probed) {
            QTRY_COMPARE(modem->records(), QByteArrayList{"MODEM?;"});
            if (found < 0 || modem->slavePath() != present.at(found)) {
                SerialPort other(modem->slavePath());
                QVERIFY(other.open(QIODevice::ReadWrite));
            }
        }
        // A port that could not be opened leaves a line in the exchange log, naming it; a name for a device
        // that is not there is no port.
        const exchangelog::ExchangeLog *log = f->window()->exchangeLog();
        QStringList notes;
        for (int i = 0; i < log->count(); ++i) {
            if (log->line(i).direction == exchangelog::Direction::Note)
                notes.append(log->line(i).port);
        }
        QStringList unopened;
        for (int i = 0; i < ports.size(); ++i) {
            if (ports.at(i) == 'B')
                unopened.append(SerialPort(f->portNames().at(i)).portName());
        }
        QCOMPARE(notes, unopened);
        qInfo("search over %s: %lld ms", qPrintable(ports), f->searchMs());
    }

    // The port object on which the modem answered is handed over open, never closed and opened again
    // (which would drop DTR and RTS); the window and velon-cli go on on it.
    void answeringPortIsHandedOverOpen()
    {
        f->addSilentPort();
        f->addModem();
        QVector<SerialPort *> made;
        int closes = 0;
        std::unique_ptr<SerialPort> open;
        const auto maker = [&] {
            made.append(new SerialPort);
            connect(made.last(), &QIODevice::aboutToClose, this, [&closes] { ++closes; });
            return std::unique_ptr<SerialPort>(made.last());
        };
        QCOMPARE(portsurvey::find(f->portNames(), nullptr, maker, &open), 1);
        QVERIFY(open && open->isOpen() && open.get() == made.at(1));
        QCOMPARE(closes, 1); // the silent port's
    }

    // A modem that comes later is found by the watcher within its next looks at the list, linked without a
    // message box and named on the status line, the ports already there not probed again at once: plugged
    // in after the start; on a port another program holds for a while (tried at every look, nothing sent
    // to it meanwhile); powered after its adapter (a silent port probed again now and then); plugged in
    // while the start-up message is still open (the watcher runs meanwhile, and the link closes the box).
    void modemThatComesLater_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("plugged in after the start") << "plugged";
        QTest::newRow("its port held by another program for a while") << "busy";
        QTest::newRow("powered after its adapter") << "powered";
        QTest::newRow("plugged in while the start-up message is open") << "during the message";
    }
    void modemThatComesLater()
    {
        QFETCH(QString, how);
#ifdef Q_OS_WIN
        if (how == "busy")
            QSKIP("Wine lets a second program open a port another one holds; Windows does not");
#endif
        sim::SimModem *silent = f->addSilentPort();
        sim::SimModem *modem = nullptr;
        QTimer whenAsked;
        if (how == "during the message") {
            f->boxes().holdOpen(true);
            connect(&whenAsked, &QTimer::timeout, this, [&] {
                if (!modem && !f->boxes().boxes().isEmpty())
                    modem = f->addModem();
            });
            whenAsked.start(20);
        }
        f->startWindow();
        QCOMPARE(f->boxes().texts(), QStringList{"Модем не обнаружен. Проверьте подключение "});
        f->boxes().clear();
        f->boxes().holdOpen(false);
        std::unique_ptr<SerialPort> holder;
        if (how == "busy") {
            modem = f->addModem();
            holder = std::make_unique<SerialPort>(modem->slavePath());
            QVERIFY(holder->open(QIODevice::ReadWrite));
            // The watcher found it held, and says so once (the exchange log's last line), however often it
            // tries.
            const exchangelog::ExchangeLog *log = f->window()->exchangeLog();
            QTRY_COMPARE_WITH_TIMEOUT(log->line(log->count() - 1).direction, exchangelog::Direction::Note,
                                      20000);
            const int lines = log->count();
            QSignalSpy looks(child<QTimer>(f->window(), "timer_portWatch"), &QTimer::timeout);
            QTRY_VERIFY_WITH_TIMEOUT(looks.count() >= 2, 20000);
            QCOMPARE(log->count(), lines);
            holder.reset();
        } else if (how == "powered") {
            modem = f->addSilentPort();
            QTRY_COMPARE_WITH_TIMEOUT(modem->records(), QByteArrayList{"MODEM?;"}, 20000);
            modem->setSilent(false);
        } else if (how == "plugged") {
            modem = f->addModem();
        }
        QTRY_VERIFY_WITH_TIMEOUT(port()->isOpen(), portwatch::silentRetryForMs);
        QCOMPARE(portList()->currentText(), modem->slavePath());
        QVERIFY(statusLine().contains("модем найден (" + modem->slavePath() + ")"));
        QCOMPARE(f->boxes().texts(), QStringList());
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<QMessageBox *>(w) || !w->isVisible());
        QCOMPARE(modem->records().last(), QByteArray("MODEM?;"));
        QCOMPARE(modem->records().count("MODEM?;"), how == "powered" ? 2 : 1);
        QCOMPARE(silent->records().first(), QByteArray("MODEM?;"));
        typeAndSend("IMEI;");
        QTRY_COMPARE(widget<QLineEdit>("lineEdit_IMEILevel")->text(), QString("356938035643809"));
    }

    // Unplugged: once its port has left the list the status line says the link is lost, and the next modem
    // that appears is linked.
    void linkedPortThatDisappears()
    {
        sim::SimModem *modem = startWithModem();
        // While linked, the watcher looks at the linked port only, never at the system's whole list.
        int listings = 0;
        portlist::setProvider([this, &listings] {
            ++listings;
            return f->portNames();
        });
        QSignalSpy looks(child<QTimer>(f->window(), "timer_portWatch"), &QTimer::timeout);
        QTRY_VERIFY_WITH_TIMEOUT(looks.count() >= 2, 20000);
        QCOMPARE(listings, 0);
        modem->hangUp();
        QTRY_VERIFY_WITH_TIMEOUT(statusLine().contains("связь с модемом потеряна"), 20000);
        QVERIFY(!port()->isOpen());
        QCOMPARE(f->boxes().texts(), QStringList());
        sim::SimModem *next = f->addModem();
        QTRY_VERIFY_WITH_TIMEOUT(statusLine().contains("модем найден (" + next->slavePath() + ")"), 20000);
        QVERIFY(port()->isOpen());
        QCOMPARE(f->boxes().texts(), QStringList());
        QVERIFY(listings > 0);
    }

    // "Сервис": "Сведения о модеме" asks the five queries, each after the reply to the one before, and the
    // panel fills; "Порт" lists the ports, the linked one checked, and a chosen port that does not answer
    // leaves the link as it was, one that does is linked; "Найти модем" searches again.
    void serviceMenuItems()
    {
        sim::SimModem *silent = f->addSilentPort();
        sim::SimModem *modem = f->addModem();
        f->startWindow();
        settle(modem);
        modem->clearLog();
        auto *service = widget<QMenu>("menu_service");
        auto *identity = widget<QAction>("action_modemIdentity");
        auto *findAgain = widget<QAction>("action_findModem");
        auto *ports = widget<QMenu>("menu_port");
        QVERIFY(service->actions().contains(identity) && service->actions().contains(findAgain) &&
                service->actions().contains(ports->menuAction()));
        QCOMPARE(identity->shortcut(), QKeySequence(Qt::CTRL + Qt::Key_I));
        QCOMPARE(findAgain->shortcut(), QKeySequence(Qt::Key_F5));

        identity->trigger();
        QCOMPARE(modem->records(), (QByteArrayList{"MODEL;", "IMEI;", "OPERATOR;", "PROGVER;", "GSMVER;"}));
        QCOMPARE(widget<QLineEdit>("lineEdit_modemModel")->text(), QString("VELON-GSM3"));
        QCOMPARE(widget<QLineEdit>("lineEdit_IMEILevel")->text(), QString("356938035643809"));
        QCOMPARE(widget<QLineEdit>("lineEdit_operator")->text(), QString("MegaFon"));
        QCOMPARE(widget<QLineEdit>("lineEdit_signalLevel")->text(), QString("23"));
        QCOMPARE(widget<QLineEdit>("lineEdit_controllerPO")->text(), QString("2.14"));
        QTRY_COMPARE(widget<QLineEdit>("lineEdit_GSMModulePO")->text(), QString("SIM800C R14.18"));
        QVERIFY(statusLine().contains("сведения о модеме получены"));
        // A question left unanswered does not stop the others; the unanswered are named.
        modem->clearLog();
        modem->setReply("IMEI;", "");
        modem->setReply("GSMVER;", "");
        identity->trigger();
        QCOMPARE(modem->records(), (QByteArrayList{"MODEL;", "IMEI;", "OPERATOR;", "PROGVER;", "GSMVER;"}));
        QVERIFY2(statusLine().contains("модем не ответил на IMEI;, GSMVER;"), qPrintable(statusLine()));
        modem->setReply("IMEI;", QByteArray());
        modem->setReply("GSMVER;", QByteArray());

        emit ports->aboutToShow();
        QList<QAction *> items = ports->actions();
        QCOMPARE(items.size(), 2);
        QVERIFY(items.at(0)->text().startsWith(silent->slavePath()) && !items.at(0)->isChecked());
        QVERIFY(items.at(1)->text().startsWith(modem->slavePath()) && items.at(1)->isChecked());
        items.at(0)->trigger();
        QVERIFY(statusLine().contains("модем не ответил (" + silent->slavePath() + ")"));
        QCOMPARE(silent->records(), (QByteArrayList{"MODEM?;", "MODEM?;"}));
        QVERIFY(port()->isOpen());
        QCOMPARE(portList()->currentText(), modem->slavePath());

        modem->clearLog();
        emit ports->aboutToShow();
        ports->actions().at(1)->trigger();
        QVERIFY(statusLine().contains("модем найден (" + modem->slavePath() + ")"));
        QCOMPARE(modem->records(), QByteArrayList{"MODEM?;"});

        modem->clearLog();
        findAgain->trigger();
        QCOMPARE(f->boxes().texts(), QStringList());
        QVERIFY(port()->isOpen());
        QCOMPARE(portList()->currentText(), modem->slavePath());
        QCOMPARE(modem->records(), QByteArrayList{"MODEM?;"});
        QCOMPARE(silent->records().size(), 3);
        typeAndSend("IMEI;");
        QTRY_COMPARE(modem->records().size(), 2);
        QCOMPARE(f->boxes().texts(), QStringList());
    }
};

VELON_TEST_MAIN(TestLink)
#include "tst_link.moc"
