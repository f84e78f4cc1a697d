#pragma once

#include "files/paramfile.h"
#include "params/formrecords.h"
#include "params/records.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <memory>

// Runs the real velon-cli. The port list always comes from VELON_PORTS (empty unless given), so no test
// ever probes the machine's serial ports.
struct CliRun
{
    int status = -1;
    QByteArray out;
    QByteArray err;
    qint64 ms = 0;
    QStringList errLines() const { return QString::fromUtf8(err).split('\n', Qt::SkipEmptyParts); }
};

// input goes to its standard input; stdoutFile, when given, takes its standard output (appended to, as
// ">>" does, with append).
inline std::unique_ptr<QProcess> startCli(const QStringList &args, const QStringList &ports = {},
                                          const QByteArray &input = {}, const QString &stdoutFile = {},
                                          bool append = false)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELON_PORTS", ports.join(QDir::listSeparator()));
    process->setProcessEnvironment(env);
    if (!stdoutFile.isEmpty())
        process->setStandardOutputFile(stdoutFile, append ? QIODevice::Append : QIODevice::Truncate);
    // VELON_CLI runs the tests against another build or an installed one.
    process->start(qEnvironmentVariable("VELON_CLI", VELON_CLI_PATH), args);
    process->waitForStarted();
    process->write(input);
    process->closeWriteChannel();
    return process;
}

inline CliRun finishCli(QProcess &process)
{
    process.waitForFinished(120000);
    CliRun run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

inline CliRun runCli(const QStringList &args, const QStringList &ports = {}, const QByteArray &input = {},
                     const QString &stdoutFile = {}, bool append = false)
{
    QElapsedTimer clock;
    clock.start();
    auto process = startCli(args, ports, input, stdoutFile, append);
    CliRun run = finishCli(*process);
    run.ms = clock.elapsed();
    return run;
}

// The parameters in a file's bytes, as a load parses them.
inline QMap<QString, QString> parseFile(const QByteArray &fileBytes)
{
    return records::toParamsMap(records::splitRecords(paramfile::setBytes(fileBytes)));
}

// What velon-cli says and writes for a set: what a fresh window makes of it.
struct Expected
{
    int status;
    QStringList messages;
    QByteArray file; // empty when refused
};

inline Expected expectedFromFresh(const QMap<QString, QString> &params)
{
    const formrecords::Outcome outcome = formrecords::apply(formrecords::startup(), params);
    if (!outcome.refusal.isEmpty())
        return {1, outcome.messages, QByteArray()};
    return {0, outcome.messages, paramfile::fileBytes(outcome.form.recordTexts)};
}
