#pragma once

#include <QByteArray>
#include <QStringList>

#include <functional>

#include "link/serialportfwd.h"

// Taking the modem's reply to "READALL;" off the port, and why the taking ended.
namespace setreply {

constexpr int pollMs = 5;
constexpr int firstByteWithinMs = 1000;
// A modem may stop for a moment inside its set (writing its flash, say): a line this long quiet ends the
// reply.
constexpr int quietLineMs = 1000;
constexpr int hardLimitMs = 10000;

// Only a Complete reply is the modem's set; anything else is never compared with what was written.
enum class End {
    Complete,    // a whole record of each of the 26 keys arrived
    Incomplete,  // bytes arrived, then the line went quiet or the time limit passed before the set was whole
    NoReply,     // nothing arrived within the first second
    PortLost,    // the port failed or closed: what arrived is cut short, not the modem's set
    Restarted,   // "MODEM_READY;" came unasked: the modem restarted, and what arrived is not its set
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
// resource error, ends it at once as PortLost; "MODEM_READY;" among the bytes ends it as Restarted.
Reply receive(SerialPort *port, const std::function<bool()> &interrupted);

// Where the record that completes the 26 keys ends (just after its ";"); -1 when the bytes hold no
// complete set.
int setEnd(const QByteArray &bytes);

// Whether the bytes hold the modem's "MODEM_READY;", which it says unasked only after a restart.
bool saysRestarted(const QByteArray &bytes);

// The DEBUG records among the bytes of a set, as the receive path would put them into the traffic log.
QStringList debugTexts(const QByteArray &bytes);

} // namespace setreply
