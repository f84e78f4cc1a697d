#include "link/handshake.h"

#include "link/serialport.h"

namespace handshake {

QString probe()
{
    return QStringLiteral("MODEM?;");
}

QString answer()
{
    return QStringLiteral("MODEM_READY;");
}

void configure(SerialPort *port)
{
    port->setBaudRate(SerialPort::Baud9600);
    port->setDataBits(SerialPort::Data8);
    port->setParity(SerialPort::NoParity);
    port->setStopBits(SerialPort::OneStop);
    port->setReadBufferSize(1024);
}

} // namespace handshake
