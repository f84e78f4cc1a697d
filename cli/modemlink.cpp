#include "cli/modemlink.h"

#include "link/delay.h"
#include "link/handshake.h"
#include "link/replywait.h"
#include "params/linecodec.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QRegularExpression>
#include <QTimer>

ModemLink::ModemLink() : port(std::make_unique<SerialPort>())
{
    handshake::configure(port.get());
    watchPort();
}

void ModemLink::watchPort()
{
    QObject::connect(port.get(), &SerialPort::errorOccurred, [this](SerialPort::SerialPortError error) {
        if (error == SerialPort::ReadError || error == SerialPort::WriteError ||
            error == SerialPort::ResourceError)
            portLost = true;
    });
}

portopen::Problem ModemLink::open(const QString &name)
{
    port->close();
    port->setPortName(name);
    portLost = false;
    restartSeen = false;
    droppedTail.clear();
    const portopen::Problem problem = portopen::open(port.get());
    if (problem == portopen::Problem::None)
        port->clear(SerialPort::Input);
    return problem;
}

void ModemLink::adopt(std::unique_ptr<SerialPort> answered)
{
    port = std::move(answered);
    portLost = false;
    restartSeen = false;
    droppedTail.clear();
    // What came in while the port waited for its turn is from before the work, as on a port opened for it.
    port->clear(SerialPort::Input);
    watchPort();
}

bool ModemLink::send(const QString &text)
{
    if (portLost || !port->isOpen())
        return false;
    // Only what came in: bytes of earlier sends may still wait in the driver or the adapter.
    noteDropped(port->readAll());
    port->clear(SerialPort::Input);
    const QByteArray bytes = linecodec::encode(text);
    const qint64 count = port->write(bytes);
    if (count < 0) {
        portLost = true;
        return false;
    }
    port->flush();
    pacer.handedOver(count);
    return !portLost;
}

void ModemLink::pause(int ms)
{
    pacer.waitThenIdle(port.get(), ms);
}

setreply::Reply ModemLink::readSet(const std::function<bool()> &stop)
{
    if (!send(QStringLiteral("READALL;")))
        return {QByteArray(), setreply::End::PortLost, QByteArray()};
    // The first second counts from when the command has left.
    pacer.waitUntilLeft(port.get());
    const setreply::Reply reply = setreply::receive(port.get(), stop);
    restartSeen = restartSeen || reply.end == setreply::End::Restarted;
    return reply;
}

void ModemLink::noteDropped(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    const QByteArray seen = droppedTail + bytes;
    restartSeen = restartSeen || setreply::saysRestarted(seen);
    droppedTail = seen.right(handshake::answer().size() - 1);
}

QString ModemLink::askImei()
{
    if (!send(QStringLiteral("IMEI;")))
        return QString();
    pause(0);
    // The record's ";" comes last; other records a modem may chat meanwhile end in one too.
    const QRegularExpression record(QStringLiteral("IMEI=([^;]*);"));
    QElapsedTimer clock;
    clock.start();
    QString text;
    while (!portLost && port->isOpen()) {
        const qint64 left = setreply::firstByteWithinMs - clock.elapsed();
        const bool more = left > 0 && waitForText(port.get(), QStringLiteral(";"), int(left));
        text += linecodec::decode(port->readAll());
        const QRegularExpressionMatch match = record.match(text);
        if (match.hasMatch())
            return match.captured(1).trimmed();
        if (!more)
            break;
    }
    return QString();
}

QByteArray ModemLink::collect(int quietMs)
{
    QByteArray bytes;
    QEventLoop loop;
    QTimer quiet;
    quiet.setSingleShot(true);
    quiet.setInterval(quietMs);
    QObject::connect(&quiet, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto take = [&] {
        bytes += port->readAll();
        quiet.start();
    };
    QObject::connect(port.get(), &SerialPort::readyRead, &loop, take);
    QObject::connect(port.get(), &SerialPort::errorOccurred, &loop, [&] {
        if (portLost)
            loop.quit();
    });
    take();
    if (!portLost)
        loop.exec();
    bytes += port->isOpen() ? port->readAll() : QByteArray();
    return bytes;
}
