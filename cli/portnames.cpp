#include "cli/portnames.h"

#include "link/portlist.h"
#include "link/portopen.h"

#include <algorithm>

#include "link/serialport.h"
#include <QDir>
#include <QFileInfo>
#include <QMap>

namespace portnames {

QString stablePath(const QString &path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty())
        return QString();
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo &link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        if (link.canonicalFilePath() == target)
            return link.absoluteFilePath();
    }
    return QString();
}

QStringList available()
{
    const QStringList names = portlist::availablePortNames();
    QMap<QString, SerialPortInfo> ports;
    if (std::any_of(names.begin(), names.end(), [](const QString &name) { return !name.startsWith('/'); }))
        ports = portlist::systemPorts();
    QStringList paths;
    for (const QString &name : names) {
        paths.append(portopen::devicePath(name, ports.value(name).systemLocation()));
    }
    return paths;
}

QVector<portsurvey::Port> survey(const QStringList &paths, std::vector<std::unique_ptr<SerialPort>> *open)
{
    return portsurvey::probeAll(paths, {}, open);
}

} // namespace portnames
