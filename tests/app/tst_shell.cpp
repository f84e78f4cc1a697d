#include "app/mainwindow.h"
#include "testmain.h"

class TestShell : public QObject
{
    Q_OBJECT
private slots:
    void placeholder() {}
};

VELON_TEST_MAIN(TestShell)
#include "tst_shell.moc"
