#pragma once

#include "link/portsurvey.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// Which ports the window probes while no modem is linked, look by look at the port list. A real adapter
// is not always ready when it appears: a port held for a moment by another program, a node the system makes
// accessible a moment late, or a modem powered after its adapter. Nothing here touches a port.
namespace portwatch {

// A port that opens but stays silent is probed again this often, for this long after its first silence.
constexpr int silentRetryMs = 6000;
constexpr int silentRetryForMs = 30000;

class Watch
{
public:
    // A search (or the watcher's probes) gave these verdicts at nowMs.
    void probed(const QVector<portsurvey::Port> &ports, qint64 nowMs);
    // A look at the list at nowMs, with the ports present then: the ones to probe now. A port that left
    // the list is forgotten (back again, it is new).
    QStringList due(const QStringList &present, qint64 nowMs);
    // Whether a probed port's failure to open is to be noted now: once, until it has opened again.
    bool noteFailure(const QString &name);
    // The port's modem answered but could not be linked then: it is probed again at the next look.
    void again(const QString &name);

private:
    enum class State {
        New,      // not probed yet
        Unopened, // busy, no permission, not yet there: tried at every look, nothing sent meanwhile
        Silent,   // opened, did not answer: probed again now and then, for a while
        Done,     // answered, failed for another reason, or silent for long enough
    };
    struct Entry
    {
        State state = State::New;
        qint64 firstSilentMs = -1;
        qint64 nextProbeMs = 0;
        bool failed = false; // the last probe could not open it
        bool failureNoted = false;
    };
    QMap<QString, Entry> entries;
};

} // namespace portwatch
