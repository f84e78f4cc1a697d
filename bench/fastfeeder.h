#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <thread>

// A modem that answers the probe and then pours debug lines into a pseudo-terminal as fast as the
// configurator takes them: the traffic of a long shift in seconds, for the memory figure.
class FastFeeder
{
public:
    FastFeeder() = default;
    ~FastFeeder();
    FastFeeder(const FastFeeder &) = delete;
    FastFeeder &operator=(const FastFeeder &) = delete;

    bool start();
    QString slavePath() const { return path; }
    // Sends `lines` DEBUG lines, the last one carrying `lastText`; returns when all are written.
    void pour(int lines, const QByteArray &lastText);

private:
    void answerProbe();

    int master = -1;
    QString path;
    std::thread prober;
    std::atomic<bool> stopping{false};
};
