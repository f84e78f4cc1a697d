#include "link/portopen.h"

#include "link/serialport.h"
#include <QFile>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace portopen {

QString devicePath(const QString &name)
{
    return name.startsWith('/') ? name : devicePath(name, SerialPortInfo(name).systemLocation());
}

QString devicePath(const QString &name, const QString &systemLocation)
{
    if (name.startsWith('/'))
        return name;
    if (!systemLocation.isEmpty())
        return systemLocation;
#ifdef Q_OS_WIN
    return SerialPort(name).portName();
#else
    return "/dev/" + name;
#endif
}

Problem open(SerialPort *port)
{
    if (port->open(QIODevice::ReadWrite))
        return Problem::None;
    switch (port->error()) {
    case SerialPort::DeviceNotFoundError:
        return Problem::Missing;
    case SerialPort::PermissionError: {
#ifdef Q_OS_UNIX
        // A node the user may read and write that still cannot be opened is held by someone else.
        const QByteArray path = QFile::encodeName(devicePath(port->portName()));
        if (::access(path.constData(), R_OK | W_OK) != 0)
            return Problem::NoPermission;
        return Problem::Busy;
#else
        return Problem::Busy;
#endif
    }
    default:
        return Problem::Other;
    }
}

QString describe(Problem problem, const QString &errorText)
{
    switch (problem) {
    case Problem::None:
        return QString();
    case Problem::Missing:
        return QStringLiteral("порт не найден");
    case Problem::Busy:
        return QStringLiteral("порт занят другой программой");
    case Problem::NoPermission:
        return QStringLiteral("нет прав на порт");
    case Problem::Other:
        break;
    }
    return QStringLiteral("не удалось открыть порт: ") + errorText;
}

} // namespace portopen
