#include "link/linepacer.h"

#include "link/delay.h"
#include "link/sendtiming.h"

#include "link/serialport.h"
#include <QElapsedTimer>
#include <QThread>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <termios.h>
#endif

namespace {

// Bytes the driver still holds for the line; -1 when it does not say.
int driverQueue(SerialPort *port)
{
#ifdef Q_OS_UNIX
    int queued = 0;
    if (port->isOpen() && ::ioctl(int(port->handle()), TIOCOUTQ, &queued) == 0)
        return queued;
#else
    Q_UNUSED(port)
#endif
    return -1;
}

// Gives the event loop turns until Qt has handed its buffer to the driver. False when quitting.
bool writeQtBuffer(SerialPort *port)
{
    for (int turns = 0; port->isOpen() && port->bytesToWrite() > 0 && turns < 200; ++turns) {
        port->flush();
        if (port->bytesToWrite() > 0 && !waitMs(1))
            return false;
    }
    return true;
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

bool LinePacer::waitUntilLeft(SerialPort *port)
{
    // Bytes Qt could not hand over yet are not on their way; give the event loop a turn for them.
    if (!writeQtBuffer(port)) {
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

bool LinePacer::waitUntilHandedOn(SerialPort *port)
{
    if (!writeQtBuffer(port)) {
        drain(port);
        return false;
    }
    int queued = driverQueue(port);
    // A driver that does not tell its queue: what was handed over may be on the line until its time is up.
    if (queued < 0)
        return waitUntilLeft(port);
    // A driver that holds bytes hands them to the adapter at least as fast as the line takes them.
    QElapsedTimer waited;
    waited.start();
    while (queued > 0 && waited.nsecsElapsed() < sendtiming::lineTimeNs(queued) + 100000000LL) {
        if (!waitMs(1)) {
            drain(port);
            return false;
        }
        queued = driverQueue(port);
    }
    return true;
}
