#include "sim/adapter.h"

#include <algorithm>

namespace sim {

namespace {
constexpr qint64 byteNs = 10LL * 1000000000LL / 9600;
}

void TransmitAdapter::take(const QByteArray &bytes, qint64 t)
{
    qint64 at = std::max(t + latencyNs, lineFreeAt);
    for (char c : bytes) {
        at += byteNs;
        held.push_back({c, at, t});
    }
    lineFreeAt = at;
}

bool TransmitAdapter::arrived(qint64 now, Byte *byte)
{
    if (held.empty() || held.front().at > now)
        return false;
    *byte = held.front();
    held.pop_front();
    return true;
}

QByteArray TransmitAdapter::purge(qint64 t)
{
    QByteArray lost;
    for (const Byte &b : held)
        lost += b.c;
    held.clear();
    // A byte half way out is gone too; the line is free from now on.
    lineFreeAt = std::min(lineFreeAt, t);
    return lost;
}

} // namespace sim
