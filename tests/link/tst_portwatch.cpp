#include "link/portwatch.h"
#include "testmain.h"

// Which ports the window's watcher probes at each look at the list, without a port or a window.
class TestPortWatch : public QObject
{
    Q_OBJECT

private slots:
    // Looks at the list, each with the ports present, the time, the ports due and the verdicts of their
    // probes (A answered, S silent, B busy, P no permission, O another failure, in the order due).
    void watchSchedule_data()
    {
        QTest::addColumn<QStringList>("looks"); // "ms:present:due:verdicts", present and due as letters
        const int every = portwatch::silentRetryMs;
        QTest::newRow("a new port is probed once, then again while it stays silent, for a while")
            << QStringList{"0:a:a:S", QString("%1:a::").arg(every - 1), QString("%1:a:a:S").arg(every),
                           QString("%1:a:a:S").arg(portwatch::silentRetryForMs),
                           QString("%1:a::").arg(portwatch::silentRetryForMs + every)};
        QTest::newRow("a port that cannot be opened yet is tried at every look, then as any other")
            << QStringList{"0:a:a:B", "1000:a:a:P", "2000:a:a:S", "3000:a::"};
        QTest::newRow("one that answered or failed otherwise is left alone")
            << QStringList{"0:ab:ab:AO", "1000:ab::"};
        QTest::newRow("a port that left the list is new when it comes back")
            << QStringList{"0:a:a:A", "1000:::", "2000:a:a:S"};
        QTest::newRow("ports added later are new beside old ones")
            << QStringList{"0:a:a:A", "1000:ab:b:B", "2000:abc:bc:SS"};
    }
    void watchSchedule()
    {
        QFETCH(QStringList, looks);
        portwatch::Watch watch;
        for (const QString &look : looks) {
            const QStringList f = look.split(':');
            QStringList present, due;
            for (const QChar c : f.at(1))
                present.append(QString(c));
            for (const QChar c : f.at(2))
                due.append(QString(c));
            QCOMPARE(watch.due(present, f.at(0).toLongLong()), due);
            QVector<portsurvey::Port> verdicts(due.size());
            for (int i = 0; i < due.size(); ++i) {
                const char kind = f.at(3).at(i).toLatin1();
                verdicts[i].name = due.at(i);
                verdicts[i].answered = kind == 'A';
                verdicts[i].problem = kind == 'B'   ? portopen::Problem::Busy
                                      : kind == 'P' ? portopen::Problem::NoPermission
                                      : kind == 'O' ? portopen::Problem::Other
                                                    : portopen::Problem::None;
            }
            watch.probed(verdicts, f.at(0).toLongLong());
        }
    }
};

VELON_TEST_MAIN(TestPortWatch)
#include "tst_portwatch.moc"
