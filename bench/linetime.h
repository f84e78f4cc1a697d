#pragma once

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

} // namespace linetime
