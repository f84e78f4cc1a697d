#include "app/statusline.h"
#include "testmain.h"

using statusline::Outcome;
Q_DECLARE_METATYPE(statusline::Outcome)
Q_DECLARE_METATYPE(statusline::AfterVerdict)

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

    // A write that could not be checked stays said: a later change of the link adds to it, one it already
    // says changes nothing, the engineer's next operation replaces it.
    void uncheckedWriteStaysSaid_data()
    {
        QTest::addColumn<Outcome>("verdict");
        QTest::addColumn<Outcome>("next");
        QTest::addColumn<statusline::AfterVerdict>("after");
        using A = statusline::AfterVerdict;
        QTest::newRow("incomplete, then lost") << Outcome::WrittenIncomplete << Outcome::LinkLost << A::Add;
        QTest::newRow("no reply, then found again")
            << Outcome::WrittenUnchecked << Outcome::ModemFound << A::Add;
        QTest::newRow("restarted, then lost") << Outcome::WriteRestarted << Outcome::LinkLost << A::Add;
        QTest::newRow("lost, then lost") << Outcome::WrittenLinkLost << Outcome::LinkLost << A::Keep;
        QTest::newRow("lost, then a read") << Outcome::WrittenLinkLost << Outcome::NoReply << A::Replace;
        QTest::newRow("checked: no verdict to keep")
            << Outcome::WriteError << Outcome::LinkLost << A::Replace;
    }
    void uncheckedWriteStaysSaid()
    {
        QFETCH(Outcome, verdict);
        QFETCH(Outcome, next);
        QFETCH(statusline::AfterVerdict, after);
        QCOMPARE(statusline::afterVerdict(verdict, next), after);
    }
};

VELON_TEST_MAIN(TestStatusLine)
#include "tst_statusline.moc"
