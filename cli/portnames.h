#pragma once

#include "link/portsurvey.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>
#include <vector>

// The one kind of port name velon-cli shows and takes: the full path of the device node. The survey of the
// ports goes through here only, so that its callers do not depend on where the search lives.
namespace portnames {

// The path under /dev/serial/by-id that leads to the port, which stays the same whichever order the
// adapters were plugged in; empty when there is none.
QString stablePath(const QString &path);

// The system's ports (or VELON_PORTS'), as full paths.
QStringList available();
// Every port probed at once, each with its verdict; with open given, a port object per path: the open one
// where the modem answered (the work goes on on it), null elsewhere.
QVector<portsurvey::Port> survey(const QStringList &paths,
                                 std::vector<std::unique_ptr<SerialPort>> *open = nullptr);

} // namespace portnames
