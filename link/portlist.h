#pragma once

#include <QStringList>

#include <functional>

// The names of the serial ports the modem search tries, in the platform's order.
//
// This is the program's one global hook: tests and the demo replace the provider, before the main window
// is built, with one that returns paths of pseudo-terminals, so that nothing ever probes the machine's
// real ports. The default provider returns QSerialPortInfo::availablePorts()' port names.
namespace portlist {

using Provider = std::function<QStringList()>;

QStringList availablePortNames();
// An empty provider restores the default.
void setProvider(Provider provider);

} // namespace portlist
