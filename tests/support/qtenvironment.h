#pragma once

#include <QStandardPaths>
#include <QString>

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
