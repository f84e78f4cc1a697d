#pragma once

#include <QtGlobal>

#include "link/serialportfwd.h"

// Paces the sends on the modem's 9600-baud line: when what was handed over has left the driver, and when it
// has left the line. The time is kept across a close of the port: closing does not take bytes back off the
// line.
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
    // Waits, with the event loop running, until what was handed over has left the driver: Qt's own buffer
    // written, then the driver's output queue empty where the driver tells it, else its line time waited
    // out. False, as waitUntilLeft, when the application is quitting.
    bool waitUntilHandedOn(SerialPort *port);

private:
    qint64 leavesAtNs = 0; // 0: nothing on the line
};
