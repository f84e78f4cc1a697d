#pragma once

#include <QString>

#include "link/serialportfwd.h"

// How the modem is found on a port: the line settings, the probe and its answer.
namespace handshake {

// How long a port is given to answer, from when the probe has left the line.
constexpr int probeWaitMs = 2000;

QString probe();  // "MODEM?;"
QString answer(); // "MODEM_READY;", looked for anywhere in the reply

// The modem's line settings (9600 baud 8N1, a 1024-byte read buffer), given to a port before it is opened;
// they hold for every port it opens afterwards. DTR and RTS are left as the system raises them at the open:
// a closed port takes no request for them (the toolkit only warns), and dropping them makes some modems
// hang up or reset.
void configure(SerialPort *port);

} // namespace handshake
