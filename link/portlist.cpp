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
#ifdef Q_OS_WIN
    // Windows lists what is there; a name it does not list (VELON_PORTS) counts while its device is there.
    QStringList listed;
    for (const SerialPortInfo &info : SerialPortInfo::availablePorts())
        listed.append(info.portName());
    for (const QString &name : names) {
        if (listed.contains(name, Qt::CaseInsensitive) || SerialPortInfo::deviceExists(name))
            now.append(name);
    }
#else
    for (const QString &name : names) {
        if (!name.contains('/') || QFileInfo::exists(name))
            now.append(name);
    }
#endif
    return now;
}

bool stillThere(const QString &name)
{
#ifdef Q_OS_WIN
    // The linked port is held open here, so the look opens nothing.
    return SerialPortInfo::deviceExists(name);
#else
    if (name.contains('/'))
        return QFileInfo::exists(name);
    // A system name on Unix is the device node's name under /dev.
    if (!currentProvider() && !qEnvironmentVariableIsSet("VELON_PORTS"))
        return QFileInfo::exists("/dev/" + name);
    return availablePortNames().contains(name);
#endif
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
