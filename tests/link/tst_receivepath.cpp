#include "link/receivepath.h"
#include "link/sendtiming.h"
#include "testmain.h"

using receivepath::Field;

using Fields = QVector<QPair<Field, QString>>;
Q_DECLARE_METATYPE(receivepath::Field)

class TestReceivePath : public QObject
{
    Q_OBJECT

    // How often a field is set by the lines of text, split at line feeds as the window does.
    static int countField(const QByteArray &text, Field field, QString *value = nullptr)
    {
        int n = 0;
        for (const QString &line : QString::fromLatin1(text).split('\n')) {
            for (const auto &f : receivepath::interpretLine(line).fields) {
                if (f.first == field) {
                    ++n;
                    if (value)
                        *value = f.second;
                }
            }
        }
        return n;
    }

private slots:
    void lineSplitAtEveryByteIsSeenOnce_data()
    {
        QTest::addColumn<int>("at");
        const QByteArray line = "IMEI=356938035643809;\r\n";
        for (int at = 0; at <= line.size(); ++at)
            QTest::addRow("%d", at) << at;
    }
    void lineSplitAtEveryByteIsSeenOnce()
    {
        QFETCH(int, at);
        const QByteArray line = "IMEI=356938035643809;\r\n";
        QByteArray kept;
        const QByteArray first = receivepath::reassemble(kept, line.left(at));
        const QByteArray second = receivepath::reassemble(kept, line.mid(at));
        QVERIFY(kept.isEmpty());
        QCOMPARE(first + second, line);
        QString value;
        QCOMPARE(countField(first, Field::Imei, &value) + countField(second, Field::Imei, &value), 1);
        QCOMPARE(value, QString("356938035643809"));
    }

    void reassembly_data()
    {
        QTest::addColumn<QByteArrayList>("chunks");
        QTest::addColumn<QByteArrayList>("handled");
        QTest::addColumn<QByteArray>("kept");
        QTest::newRow("record without line feed at once")
            << QByteArrayList{"IMEI=1;"} << QByteArrayList{"IMEI=1;"} << QByteArray();
        QTest::newRow("record then carriage return")
            << QByteArrayList{"OPERATOR=Beeline;\r"} << QByteArrayList{"OPERATOR=Beeline;\r"} << QByteArray();
        QTest::newRow("complete line then start of next")
            << QByteArrayList{"MODEL=X;\r\nPROG", "VER=2;\r\n"}
            << QByteArrayList{"MODEL=X;\r\n", "PROGVER=2;\r\n"} << QByteArray();
        QTest::newRow("over three chunks") << QByteArrayList{"DEB", "UG=a b", "c;\r\n"}
                                           << QByteArrayList{"", "", "DEBUG=a bc;\r\n"} << QByteArray();
        QTest::newRow("unfinished stays kept")
            << QByteArrayList{"RFLEVEL=2"} << QByteArrayList{""} << QByteArray("RFLEVEL=2");
        QTest::newRow("line feeds only")
            << QByteArrayList{"\r\n\r\n"} << QByteArrayList{"\r\n\r\n"} << QByteArray();
        const QByteArray noise(receivepath::maxKeptBytes + 1, 'z');
        QTest::newRow("noise is not kept without bound")
            << QByteArrayList{noise.left(100), noise.mid(100)} << QByteArrayList{"", noise} << QByteArray();
    }
    void reassembly()
    {
        QFETCH(QByteArrayList, chunks);
        QFETCH(QByteArrayList, handled);
        QFETCH(QByteArray, kept);
        QByteArray state;
        QByteArrayList got;
        for (const QByteArray &c : chunks)
            got.append(receivepath::reassemble(state, c));
        QCOMPARE(got, handled);
        QCOMPARE(state, kept);
    }

    void lines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<bool>("debug");
        QTest::addColumn<QString>("debugText");
        QTest::newRow("IMEI") << "IMEI=356938035643809;\r" << Fields{{Field::Imei, "356938035643809"}}
                              << false << "";
        QTest::newRow("model") << "MODEL=VELON-GSM3;" << Fields{{Field::Model, "VELON-GSM3"}} << false << "";
        QTest::newRow("operator") << "OPERATOR=MTS RUS;\r" << Fields{{Field::Operator, "MTS RUS"}} << false
                                  << "";
        QTest::newRow("signal level") << "RFLEVEL=23;" << Fields{{Field::RfLevel, "23"}} << false << "";
        QTest::newRow("controller version")
            << "PROGVER=2.14;" << Fields{{Field::ProgVer, "2.14"}} << false << "";
        QTest::newRow("GSM version") << "GSMVER=R14.18;" << Fields{{Field::GsmVer, "R14.18"}} << false << "";
        QTest::newRow("two words") << "MODEL=PROGVER5;\r"
                                   << Fields{{Field::Model, "PROGVER5"}, {Field::ProgVer, "5"}} << false
                                   << "";
        QTest::newRow("debug") << "DEBUG=GSM: a=b;\r" << Fields{} << true << "GSM: ab";
        QTest::newRow("lower case is nothing") << "imei=1;" << Fields{} << false << "";
        QTest::newRow("other line") << "MODEM_READY;" << Fields{} << false << "";
    }
    void lines()
    {
        QFETCH(QString, line);
        QFETCH(Fields, fields);
        QFETCH(bool, debug);
        QFETCH(QString, debugText);
        const receivepath::LineEffect e = receivepath::interpretLine(line);
        QCOMPARE(e.fields, fields);
        QCOMPARE(e.debug, debug);
        QCOMPARE(e.debugText, debugText);
    }

    void debugEntryFormat()
    {
        const QDateTime when(QDate(2026, 3, 5), QTime(7, 8, 9, 12));
        QCOMPARE(receivepath::debugEntry(when, "GSM ok"), QString("05.03.2026   07:08:09.012   GSM ok"));
    }

    void sendTiming()
    {
        using namespace sendtiming;
        QCOMPARE(lineTimeNs(96), qint64(100000000)); // 96 bytes: 100 ms at 9600 baud
        // Bytes handed over while earlier ones are still queued leave after them.
        QCOMPARE(leavesAt(150000000, 100000000, 96), qint64(250000000));
        QCOMPARE(leavesAt(50000000, 100000000, 96), qint64(200000000));
        QCOMPARE(waitMs(0, 100000000), 0);                              // nothing sent
        QCOMPARE(waitMs(200000000, 100000000), 100 + marginMs);         // still on the line
        QCOMPARE(waitMs(200000000, 200000000 + marginMs * 1000000), 0); // gone, margin included
        QCOMPARE(waitMs(200000000, 199500000 + marginMs * 1000000), 1); // rounded up
    }
};

VELON_TEST_MAIN(TestReceivePath)
#include "tst_receivepath.moc"
