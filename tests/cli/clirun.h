#pragma once

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

inline std::unique_ptr<QProcess> startCli(const QStringList &args, const QStringList &ports = {})
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELON_PORTS", ports.join(QDir::listSeparator()));
    process->setProcessEnvironment(env);
    // VELON_CLI runs the tests against another build or an installed one.
    process->start(qEnvironmentVariable("VELON_CLI", VELON_CLI_PATH), args);
    process->waitForStarted();
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

inline CliRun runCli(const QStringList &args, const QStringList &ports = {})
{
    QElapsedTimer clock;
    clock.start();
    auto process = startCli(args, ports);
    CliRun run = finishCli(*process);
    run.ms = clock.elapsed();
    return run;
}
