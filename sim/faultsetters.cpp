// The simulated modem's one-shot faults for the link's tests, each a fault of the model (sim/faults.h). Built
// with either SimModem, so a modem reached under Wine needs setFault() alone.

#include "sim/simmodem.h"

#include <algorithm>

namespace sim {

namespace {

Fault fault(Fault::Kind kind, int offset, int ms)
{
    Fault f;
    f.kind = kind;
    f.offset = offset;
    f.ms = ms;
    f.reach = true;
    return f;
}

} // namespace

void SimModem::setPauseInReply(int atByte, int ms)
{
    setFault(fault(Fault::Kind::ReplyPaused, std::max(0, atByte), std::max(0, ms)));
}

void SimModem::setFlipInReply(int atByte)
{
    setFault(fault(Fault::Kind::FlippedToHost, std::max(0, atByte), 0));
}

void SimModem::setLateReply(int ms)
{
    setFault(fault(Fault::Kind::ReplyLate, 0, std::max(0, ms)));
}

void SimModem::setRestartAtRecord(int n)
{
    // At once: the record itself is lost to the restart, the next one is taken.
    Fault f = fault(n > 0 ? Fault::Kind::Restart : Fault::Kind::None, 0, 0);
    f.nth = n;
    setFault(f);
}

} // namespace sim
