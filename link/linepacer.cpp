#include "link/linepacer.h"

#include "link/delay.h"
#include "link/sendtiming.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QThread>

void LinePacer::handedOver(qint64 count)
{
    leavesAtNs = sendtiming::leavesAt(leavesAtNs, sendtiming::nowNs(), count);
}

int LinePacer::msUntilLeft() const
{
    return sendtiming::waitMs(leavesAtNs, sendtiming::nowNs());
}

bool LinePacer::waitUntilLeft(QSerialPort *port)
{
    // Bytes Qt could not hand over yet are not on their way; give the event loop a turn for them.
    for (int turns = 0; port->isOpen() && port->bytesToWrite() > 0 && turns < 200; ++turns) {
        port->flush();
        if (port->bytesToWrite() > 0 && !waitMs(1)) {
            drain(port);
            return false;
        }
    }
    const int ms = msUntilLeft();
    if (ms > 0 && !waitMs(ms)) {
        drain(port);
        return false;
    }
    leavesAtNs = 0;
    return true;
}

void LinePacer::drain(QSerialPort *port)
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
