#include "cli/portnames.h"

#include "link/portlist.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QSerialPortInfo>

namespace portnames {

QString fullPath(const QString &name)
{
    if (name.startsWith('/'))
        return name;
    const QString location = QSerialPortInfo(name).systemLocation();
    return location.isEmpty() ? "/dev/" + name : location;
}

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
    // Names are looked up all at once: a lookup by name walks every port of the system.
    QMap<QString, QString> locations;
    const QStringList names = portlist::availablePortNames();
    if (std::any_of(names.begin(), names.end(), [](const QString &name) { return !name.startsWith('/'); })) {
        for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
            locations.insert(info.portName(), info.systemLocation());
    }
    QStringList paths;
    for (const QString &name : names)
        paths.append(name.startsWith('/') ? name : locations.value(name, "/dev/" + name));
    return paths;
}

QVector<portsurvey::Port> survey(const QStringList &paths)
{
    return portsurvey::probeAll(paths);
}

QStringList answering(const QStringList &paths)
{
    QStringList found;
    for (const portsurvey::Port &port : survey(paths)) {
        if (port.answered)
            found.append(port.name);
    }
    return found;
}

} // namespace portnames
