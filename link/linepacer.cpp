#include "link/linepacer.h"

#include "link/delay.h"
#include "link/sendtiming.h"

#include "link/serialport.h"
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace {

// Waits with the event loop running until the monotonic clock reaches targetNs. A coarse timer may fire a
// little early, and the idle time between records is owed whole; a whole millisecond more after each of
// them would add up over a write, so the part of a millisecond left is slept. False when the application
// is quitting.
bool waitUntilNs(qint64 targetNs)
{
    for (;;) {
        const qint64 left = targetNs - sendtiming::nowNs();
        if (left <= 0)
            return true;
        if (left < 1000000) {
            QThread::usleep(ulong((left + 999) / 1000));
            continue;
        }
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QEventLoop loop;
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(int(left / 1000000));
        loop.exec();
        // Only the application's quit ends this loop before its timer.
        if (timer.isActive())
            return false;
    }
}

} // namespace

void LinePacer::handedOver(qint64 count)
{
    leavesAtNs = sendtiming::leavesAt(leavesAtNs, sendtiming::nowNs(), count);
}

int LinePacer::msUntilLeft() const
{
    return sendtiming::waitMs(leavesAtNs, sendtiming::nowNs());
}

bool LinePacer::handOn(SerialPort *port)
{
    const qint64 held = port->isOpen() ? port->bytesToWrite() : 0;
    for (int turns = 0; port->isOpen() && port->bytesToWrite() > 0 && turns < 200; ++turns) {
        port->flush();
        if (port->bytesToWrite() > 0 && !waitMs(1))
            return false;
    }
    if (held > 0)
        leavesAtNs = std::max(leavesAtNs, sendtiming::nowNs() + sendtiming::lineTimeNs(held));
    return true;
}

bool LinePacer::waitUntilLeft(SerialPort *port)
{
    if (!handOn(port)) {
        drain(port);
        return false;
    }
    const int ms = msUntilLeft();
    if (ms > 0 && !waitMs(ms)) {
        drain(port);
        return false;
    }
    leavesAtNs = 0;
    return true;
}

void LinePacer::drain(SerialPort *port)
{
    QElapsedTimer waited;
    waited.start();
    while (port->isOpen() && port->bytesToWrite() > 0 && waited.elapsed() < 1000) {
        if (!port->waitForBytesWritten(100))
            break;
    }
    const int ms = msUntilLeft();
    if (ms > 0)
        QThread::msleep(ulong(ms));
    leavesAtNs = 0;
}

bool LinePacer::waitThenIdle(SerialPort *port, int idleMs)
{
    if (!handOn(port)) {
        drain(port);
        return false;
    }
    const qint64 lineFreeAt = std::max(leavesAtNs, sendtiming::nowNs());
    if (!waitUntilNs(lineFreeAt + qint64(idleMs) * 1000000)) {
        drain(port);
        return false;
    }
    leavesAtNs = 0;
    return true;
}
