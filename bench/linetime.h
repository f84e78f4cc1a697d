#pragma once

#include "link/writeplan.h"
#include "sim/simmodem.h"

#include <QtGlobal>

// The serial line's own arithmetic, shared by every figure: 9600 baud 8N1 moves 960 bytes a second.
namespace linetime {

inline double lineMs(qint64 bytes)
{
    return bytes * 10.0 * 1000.0 / 9600.0;
}

// The bytes of a set as the modem sends it: "KEY=value;" and CR LF per record.
inline qint64 replyBytes(const sim::ParamList &set)
{
    qint64 n = 0;
    for (const auto &kv : set)
        n += kv.first.size() + 1 + kv.second.toLatin1().size() + 1 + 2;
    return n;
}

// A write with read-back as the line paces it: out bytes sent and in bytes back, readAlls replies each after
// the modem's answer delay, and after each of the 26 records and "WRITEALL;" the line's quiet spacing.
inline double writeLimitMs(qint64 out, qint64 in, int answerDelayMs, int readAlls = 1)
{
    return lineMs(out + in) + answerDelayMs * readAlls + 27 * writeplan::spacingMs;
}

} // namespace linetime
