#pragma once

#include <QByteArray>
#include <QStringList>

#include <functional>

#include "link/serialportfwd.h"

// Taking the modem's reply to "READALL;" off the port, and why the taking ended.
namespace setreply {

constexpr int pollMs = 5;
constexpr int firstByteWithinMs = 1000;
constexpr int quietLineMs = 250;
constexpr int hardLimitMs = 10000;

enum class End {
    Complete,    // a record of each of the 26 keys arrived
    LineQuiet,   // bytes arrived, then the line went quiet or the time limit passed
    NoReply,     // nothing arrived within the first second
    PortLost,    // the port failed or closed: what arrived is cut short, not the modem's set
    Interrupted, // the caller gave up (its window closes) or the application is quitting
};

struct Reply
{
    QByteArray bytes;
    End end = End::NoReply;
    QByteArray rest; // Complete: what came after the record that completed the set (not the set's)
};

// Reads what port receives from now on, as it arrives, until the bytes hold all 26 keys, or the line has
// been quiet for quietLineMs once firstByteWithinMs have passed, or hardLimitMs. The event loop runs
// meanwhile; interrupted is asked after every turn. A port that is closed, or reports a read, write or
// resource error, ends it at once as PortLost.
Reply receive(SerialPort *port, const std::function<bool()> &interrupted);

// Where the record that completes the 26 keys ends (just after its ";"); -1 when the bytes hold no
// complete set.
int setEnd(const QByteArray &bytes);

// The DEBUG records among the bytes of a set, as the receive path would put them into the traffic log.
QStringList debugTexts(const QByteArray &bytes);

} // namespace setreply
