#pragma once

#include <QString>

#include "link/serialportfwd.h"

// How the modem is found on a port: the line settings, the probe and its answer.
namespace handshake {

// How long a port is given to answer, from when the probe has left the line.
constexpr int probeWaitMs = 2000;

QString probe();  // "MODEM?;"
QString answer(); // "MODEM_READY;", looked for anywhere in the reply

// The modem's line settings (9600 baud 8N1, DTR off, a 1024-byte read buffer), given to a port before it is
// opened; they hold for every port it opens afterwards. Also clears it.
void configure(SerialPort *port);

} // namespace handshake
