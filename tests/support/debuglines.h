#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Collects the debug lines written while it lives (the program's developer diagnostics), with the program's
// categories turned on meanwhile.
class DebugLines
{
public:
    DebugLines() : previous(qInstallMessageHandler(collect))
    {
        sink = &lines;
        QLoggingCategory::setFilterRules("velon.*.debug=true");
    }
    ~DebugLines()
    {
        QLoggingCategory::setFilterRules(QString());
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

// Collects the warnings written while it lives (what a user would see on the terminal), but the offscreen
// test platform's own note about size hints.
class WarningLines
{
public:
    explicit WarningLines(QStringList *lines) : previous(qInstallMessageHandler(collect)) { sink = lines; }
    ~WarningLines() { qInstallMessageHandler(previous); }

private:
    static inline QStringList *sink = nullptr;
    static void collect(QtMsgType type, const QMessageLogContext &, const QString &message)
    {
        if (type == QtWarningMsg && !message.contains("propagateSizeHints"))
            sink->append(message);
    }
    QtMessageHandler previous;
};
