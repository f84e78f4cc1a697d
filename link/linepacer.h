#pragma once

#include <QtGlobal>

#include "link/serialportfwd.h"

// Paces the sends on the modem's 9600-baud line by the line's own arithmetic: what was handed to the driver
// leaves the line bytes x 10 / 9600 s later, whatever the driver says about its queue (an empty queue only
// means the adapter took the bytes). The time is kept across a close of the port: closing does not take
// bytes back off the line.
class LinePacer
{
public:
    // count bytes were handed to port's driver (written and flushed) just now.
    void handedOver(qint64 count);
    // Whole milliseconds from now until everything handed over has left (margin included); 0 when it has.
    int msUntilLeft() const;
    // Waits, with the event loop running, until everything handed over has left. When the application is
    // quitting the event loop no longer waits: then it blocks for the rest and returns false.
    bool waitUntilLeft(SerialPort *port);
    // Blocks, without the event loop, until everything handed over has left.
    void drain(SerialPort *port);
    // Waits, with the event loop running, the line time of what was handed over, counted from the moment it
    // was handed over, then idleMs more: the line stays quiet that long before the next send. Never ends
    // early. False, as waitUntilLeft, when the application is quitting.
    bool waitThenIdle(SerialPort *port, int idleMs);

private:
    // Gives the event loop turns until Qt's own buffer has gone to the driver; what waited there was handed
    // over only now. False when quitting.
    bool handOn(SerialPort *port);

    qint64 leavesAtNs = 0; // 0: nothing on the line
};
