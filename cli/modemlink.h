#pragma once

#include "link/linepacer.h"
#include "link/portopen.h"
#include "link/setreply.h"

#include "link/serialport.h"
#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

// velon-cli's link to one modem: the window's line settings, pacing and reply rules, with plain waits
// instead of a window's event handling.
class ModemLink
{
public:
    ModemLink();

    // Opens the named port with the modem's line settings.
    portopen::Problem open(const QString &name);
    // Goes on on the port where the modem answered the search, open as it is.
    void adopt(std::unique_ptr<SerialPort> answered);
    QString portName() const { return port->portName(); }
    QString errorText() const { return port->errorString(); }

    // Like the window's send: clears what came in, hands the bytes over. False when the port is gone.
    bool send(const QString &text);
    // Waits until what was sent has left the line (its line time from the hand-over), then ms of quiet line.
    void pause(int ms);
    // Sends "READALL;" and takes the reply until it is complete (the window's rule), or until stop says so
    // (End::Interrupted).
    setreply::Reply readSet(const std::function<bool()> &stop = [] { return false; });
    // Sends "IMEI;" and takes the modem's "IMEI=...;" within the first second of a reply; empty when none
    // came.
    QString askImei();
    // Everything that arrives until the line has been quiet for quietMs (or the port is lost).
    QByteArray collect(int quietMs);

    // The port failed or went away during the work.
    bool lost() const { return portLost; }
    // The modem said "MODEM_READY;" unasked since the port was opened: it restarted.
    bool restarted() const { return restartSeen; }

private:
    // Input about to be dropped unread: it may hold the modem's word that it restarted.
    void noteDropped(const QByteArray &bytes);

    void watchPort();

    std::unique_ptr<SerialPort> port;
    LinePacer pacer;
    bool portLost = false;
    bool restartSeen = false;
    QByteArray droppedTail; // the end of the input dropped last, for an answer split across two
};
