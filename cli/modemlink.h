#pragma once

#include "link/linepacer.h"
#include "link/portopen.h"
#include "link/setreply.h"

#include "link/serialport.h"
#include <QByteArray>
#include <QString>

#include <functional>

// velon-cli's link to one modem: the window's line settings, pacing and reply rules, with plain waits
// instead of a window's event handling.
class ModemLink
{
public:
    ModemLink();

    // Opens the named port with the modem's line settings.
    portopen::Problem open(const QString &name);
    QString portName() const { return port.portName(); }
    QString errorText() const { return port.errorString(); }

    // Like the window's send: clears what came in, hands the bytes over. False when the port is gone.
    bool send(const QString &text);
    // Waits until what was sent has left the driver, then ms.
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

private:
    SerialPort port;
    LinePacer pacer;
    bool portLost = false;
};
