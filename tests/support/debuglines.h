#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// Collects the debug lines written while it lives (the program's developer diagnostics).
class DebugLines
{
public:
    DebugLines() : previous(qInstallMessageHandler(collect)) { sink = &lines; }
    ~DebugLines()
    {
        qInstallMessageHandler(previous);
        sink = nullptr;
    }
    DebugLines(const DebugLines &) = delete;
    DebugLines &operator=(const DebugLines &) = delete;

    QStringList lines;

private:
    static inline QStringList *sink = nullptr;
    static void collect(QtMsgType type, const QMessageLogContext &, const QString &message)
    {
        if (sink && type == QtDebugMsg)
            sink->append(message);
    }
    QtMessageHandler previous;
};
