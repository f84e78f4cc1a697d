#include "link/portlist.h"

#include "link/serialport.h"
#include <QDir>
#include <QFileInfo>

namespace portlist {

static Provider &currentProvider()
{
    static Provider provider;
    return provider;
}

QStringList availablePortNames()
{
    if (currentProvider())
        return currentProvider()();
    if (qEnvironmentVariableIsSet("VELON_PORTS"))
        return qEnvironmentVariable("VELON_PORTS").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    QStringList names;
    for (const SerialPortInfo &info : SerialPortInfo::availablePorts())
        names.append(info.portName());
    return names;
}

void setProvider(Provider provider)
{
    currentProvider() = std::move(provider);
}

QStringList present(const QStringList &names)
{
    QStringList now;
    for (const QString &name : names) {
        if (!name.contains('/') || QFileInfo::exists(name))
            now.append(name);
    }
    return now;
}

bool stillThere(const QString &name)
{
    if (name.contains('/'))
        return QFileInfo::exists(name);
#ifdef Q_OS_UNIX
    // A system name on Unix is the device node's name under /dev.
    if (!currentProvider() && !qEnvironmentVariableIsSet("VELON_PORTS"))
        return QFileInfo::exists("/dev/" + name);
#endif
    return availablePortNames().contains(name);
}

QMap<QString, SerialPortInfo> systemPorts()
{
    QMap<QString, SerialPortInfo> ports;
    for (const SerialPortInfo &info : SerialPortInfo::availablePorts()) {
        ports.insert(info.portName(), info);
        ports.insert(info.systemLocation(), info);
    }
    return ports;
}

} // namespace portlist
