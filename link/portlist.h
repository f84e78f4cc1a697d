#pragma once

#include "link/serialport.h"
#include <QMap>
#include <QStringList>

#include <functional>

// The names of the serial ports the modem search tries, in the platform's order.
//
// This is the program's one global hook: tests and the demo replace the provider, before the main window
// is built, with one that returns paths of pseudo-terminals, so that nothing ever probes the machine's
// real ports. The default provider returns the names in VELON_PORTS (separated by the platform's list
// separator) when it is set, else SerialPortInfo::availablePorts()' port names.
namespace portlist {

using Provider = std::function<QStringList()>;

QStringList availablePortNames();
// An empty provider restores the default.
void setProvider(Provider provider);

// The names of the list that stand for a port now: a path counts while it exists (a port named in
// VELON_PORTS may appear later); a system name counts as long as it is listed. On Windows a name counts
// while the system lists it or has its device.
QStringList present(const QStringList &names);

// Whether one port of the list is still there, without walking the system's whole list where the platform
// lets it be seen directly (a device node on Unix, the device itself on Windows).
bool stillThere(const QString &name);

// The system's ports, each under its name ("ttyUSB0") and its path ("/dev/ttyUSB0"), looked up at once:
// a SerialPortInfo made from a name walks every port of the system.
QMap<QString, SerialPortInfo> systemPorts();

} // namespace portlist
