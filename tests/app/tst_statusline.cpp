#include "app/statusline.h"
#include "testmain.h"

using statusline::Outcome;
Q_DECLARE_METATYPE(statusline::Outcome)

// The words of the status line, without a window.
class TestStatusLine : public QObject
{
    Q_OBJECT

private slots:
    void words_data()
    {
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("words");
        QTest::addColumn<bool>("origin");
        QTest::newRow("found") << Outcome::ModemFound << "COM3" << 0 << "модем найден (COM3) в 10:31:02"
                               << false;
        QTest::newRow("read") << Outcome::Read << "COM3" << 0 << "прочитаны из модема (COM3) в 10:31:02"
                              << true;
        QTest::newRow("file by its name") << Outcome::Loaded << "/home/eng/sets/obj17.txt" << 0
                                          << "загружены из файла obj17.txt в 10:31:02" << true;
        QTest::newRow("1 mismatch") << Outcome::Mismatched << "" << 1
                                    << "записаны, 1 параметр не совпал в 10:31:02" << true;
        QTest::newRow("3 mismatches")
            << Outcome::Mismatched << "" << 3 << "записаны, 3 параметра не совпали в 10:31:02" << true;
        QTest::newRow("11 mismatches")
            << Outcome::Mismatched << "" << 11 << "записаны, 11 параметров не совпали в 10:31:02" << true;
        QTest::newRow("22 mismatches")
            << Outcome::Mismatched << "" << 22 << "записаны, 22 параметра не совпали в 10:31:02" << true;
        QTest::newRow("26 mismatches")
            << Outcome::Mismatched << "" << 26 << "записаны, 26 параметров не совпали в 10:31:02" << true;
        QTest::newRow("lost") << Outcome::LinkLost << "" << 0 << "связь с модемом потеряна в 10:31:02"
                              << false;
    }
    void words()
    {
        QFETCH(Outcome, outcome);
        QFETCH(QString, subject);
        QFETCH(int, count);
        QFETCH(QString, words);
        QFETCH(bool, origin);
        QCOMPARE(statusline::describe({outcome, QTime(10, 31, 2), subject, count}), words);
        QCOMPARE(statusline::tellsOrigin(outcome), origin);
    }

    void line()
    {
        QCOMPARE(statusline::line(statusline::defaults(), QString()), QString("Значения по умолчанию"));
        QCOMPARE(
            statusline::line("прочитаны из модема (COM3) в 10:31:02", "связь с модемом потеряна в 10:40:00"),
            QString("Прочитаны из модема (COM3) в 10:31:02; связь с модемом потеряна в 10:40:00"));
    }
};

VELON_TEST_MAIN(TestStatusLine)
#include "tst_statusline.moc"
