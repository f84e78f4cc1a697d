#include "app/statusline.h"
#include "testmain.h"

using statusline::Outcome;

// The words of the status line where the window tests do not reach: plurals, file paths, the joining.
class TestStatusLine : public QObject
{
    Q_OBJECT

private slots:
    void mismatchesAreCountedInRussian_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("words");
        QTest::newRow("1") << 1 << "1 параметр не совпал";
        QTest::newRow("3") << 3 << "3 параметра не совпали";
        QTest::newRow("11") << 11 << "11 параметров не совпали";
        QTest::newRow("21") << 21 << "21 параметр не совпал";
        QTest::newRow("22") << 22 << "22 параметра не совпали";
        QTest::newRow("26") << 26 << "26 параметров не совпали";
    }
    void mismatchesAreCountedInRussian()
    {
        QFETCH(int, count);
        QFETCH(QString, words);
        QCOMPARE(statusline::describe({Outcome::Mismatched, QTime(10, 31, 2), QString(), count}),
                 "записаны, " + words + " в 10:31:02");
    }

    void fileByItsNameAndTheWholeLine()
    {
        const QString loaded =
            statusline::describe({Outcome::Loaded, QTime(9, 5, 0), "/home/eng/sets/obj17.txt", 0});
        QCOMPARE(loaded, QString("загружены из файла obj17.txt в 09:05:00"));
        QVERIFY(statusline::tellsOrigin(Outcome::Loaded) && !statusline::tellsOrigin(Outcome::LinkLost));
        QCOMPARE(statusline::line(loaded, "связь с модемом потеряна в 09:40:00"),
                 QString("Загружены из файла obj17.txt в 09:05:00; связь с модемом потеряна в 09:40:00"));
        QCOMPARE(statusline::line(statusline::defaults(), QString()), QString("Значения по умолчанию"));
    }
};

VELON_TEST_MAIN(TestStatusLine)
#include "tst_statusline.moc"
