#pragma once

#include "qtenvironment.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

// Like QTEST_MAIN, but the tests are headless whoever starts them, and what the program keeps in the
// user's data folder (the history of sets) goes to a folder of the run's own.
#define VELON_TEST_MAIN(TestClass)                                                                           \
    int main(int argc, char *argv[])                                                                         \
    {                                                                                                        \
        takeQtEnvironment();                                                                                 \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                  \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                         \
        QTemporaryDir dataHome;                                                                              \
        qputenv("XDG_DATA_HOME", dataHome.path().toUtf8());                                                  \
        QApplication app(argc, argv);                                                                        \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        TestClass tc;                                                                                        \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
