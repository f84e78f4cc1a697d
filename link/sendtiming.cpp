#include "link/sendtiming.h"

#include <QElapsedTimer>

#include <algorithm>

namespace sendtiming {

qint64 nowNs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    // Never 0, so that 0 can mean "nothing sent yet".
    return clock.nsecsElapsed() + 1;
}

qint64 lineTimeNs(qint64 bytes)
{
    return bytes * bitsPerByte * 1000000000LL / baudRate;
}

qint64 leavesAt(qint64 previousLeavesAtNs, qint64 nowNs, qint64 bytes)
{
    return std::max(previousLeavesAtNs, nowNs) + lineTimeNs(std::max<qint64>(0, bytes));
}

int waitMs(qint64 leavesAtNs, qint64 nowNs)
{
    const qint64 remaining = leavesAtNs + qint64(marginMs) * 1000000 - nowNs;
    if (leavesAtNs <= 0 || remaining <= 0)
        return 0;
    return int((remaining + 999999) / 1000000);
}

} // namespace sendtiming
