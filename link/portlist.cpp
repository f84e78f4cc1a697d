#include "link/portlist.h"

#include <QSerialPortInfo>

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
    QStringList names;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        names.append(info.portName());
    return names;
}

void setProvider(Provider provider)
{
    currentProvider() = std::move(provider);
}

} // namespace portlist
