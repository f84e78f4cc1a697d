#pragma once

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// Wine does not hand variables named QT_* to a Windows program; the build's wine-run passes them in
// VELON_QT_ENVIRONMENT, one NAME=value a line.
inline void takeQtEnvironment()
{
#ifdef Q_OS_WIN
    for (const QString &line : qEnvironmentVariable("VELON_QT_ENVIRONMENT").split('\n', Qt::SkipEmptyParts)) {
        const int eq = line.indexOf('=');
        if (eq > 0)
            qputenv(line.left(eq).toLocal8Bit().constData(), line.mid(eq + 1).toLocal8Bit());
    }
    // The user's data folder is not an environment variable on Windows.
    QStandardPaths::setTestModeEnabled(true);
#endif
}

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
