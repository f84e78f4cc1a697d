#pragma once

#include <QString>

#include "link/serialportfwd.h"

// Why a serial port could not be opened, told apart honestly: the toolkit reports a port held by another
// program (its lock file, or the driver's exclusive mode) and one the user may not open with the same
// error code.
namespace portopen {

enum class Problem { None, Missing, Busy, NoPermission, Other };

// The device node behind a port name: "/dev/ttyUSB0" for "ttyUSB0" or "/dev/ttyUSB0"; on Windows the name
// Windows opens, "COM3".
QString devicePath(const QString &name);
// The same, where the system's port information (systemLocation) was looked up already.
QString devicePath(const QString &name, const QString &systemLocation);

// Opens port for reading and writing; on failure says why.
Problem open(SerialPort *port);

// "порт занят другой программой", ...; errorText is the system's own words, for Other.
QString describe(Problem problem, const QString &errorText);

} // namespace portopen
