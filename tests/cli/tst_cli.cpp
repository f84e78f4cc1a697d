#include "clirun.h"
#include "simfixture.h"
#include "testmain.h"

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void usage() { QCOMPARE(runCli({}).status, 64); }
};

VELON_TEST_MAIN(TestCli)
#include "tst_cli.moc"
