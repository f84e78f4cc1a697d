#include "app/statusline.h"
#include "testmain.h"

using statusline::Outcome;

// The one thing about the status line's words that the window tests do not reach: the plurals of a count.
class TestStatusLine : public QObject
{
    Q_OBJECT

private slots:
    void mismatchesAreCountedInRussian_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("words");
        QTest::newRow("1") << 1 << "1 параметр не совпал";
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
};

VELON_TEST_MAIN(TestStatusLine)
#include "tst_statusline.moc"
