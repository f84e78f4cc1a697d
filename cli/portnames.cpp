#include "cli/portnames.h"

#include "link/portlist.h"

#include <QDir>
#include <QFileInfo>
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
    QStringList paths;
    for (const QString &name : portlist::availablePortNames())
        paths.append(fullPath(name));
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
