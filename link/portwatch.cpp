#include "link/portwatch.h"

namespace portwatch {

void Watch::probed(const QVector<portsurvey::Port> &ports, qint64 nowMs)
{
    for (const portsurvey::Port &port : ports) {
        Entry &e = entries[port.name];
        e.failed = port.problem != portopen::Problem::None;
        switch (port.problem) {
        case portopen::Problem::Busy:
        case portopen::Problem::NoPermission:
        case portopen::Problem::Missing:
            e.state = State::Unopened;
            continue;
        case portopen::Problem::Other:
            e.state = State::Done;
            continue;
        case portopen::Problem::None:
            break;
        }
        e.failureNoted = false;
        if (port.answered || port.lost) {
            e.state = State::Done;
            continue;
        }
        if (e.firstSilentMs < 0)
            e.firstSilentMs = nowMs;
        e.nextProbeMs = nowMs + silentRetryMs;
        e.state = nowMs - e.firstSilentMs >= silentRetryForMs ? State::Done : State::Silent;
    }
}

QStringList Watch::due(const QStringList &present, qint64 nowMs)
{
    for (const QString &name : entries.keys()) {
        if (!present.contains(name))
            entries.remove(name);
    }
    QStringList names;
    for (const QString &name : present) {
        const Entry &e = entries[name];
        if (e.state == State::New || e.state == State::Unopened ||
            (e.state == State::Silent && nowMs >= e.nextProbeMs))
            names.append(name);
    }
    return names;
}

bool Watch::noteFailure(const QString &name)
{
    const auto it = entries.find(name);
    if (it == entries.end() || !it->failed || it->failureNoted)
        return false;
    it->failureNoted = true;
    return true;
}

void Watch::again(const QString &name)
{
    entries[name].state = State::New;
}

} // namespace portwatch
