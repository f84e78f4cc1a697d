#include "link/handshake.h"

#include <QSerialPort>

namespace handshake {

QString probe()
{
    return QStringLiteral("MODEM?;");
}

QString answer()
{
    return QStringLiteral("MODEM_READY;");
}

void configure(QSerialPort *port)
{
    port->setBaudRate(QSerialPort::Baud9600);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setDataTerminalReady(false);
    port->setReadBufferSize(1024);
    port->clear();
}

} // namespace handshake
