#include "exchangelog/capturingport.h"

#include <QCoreApplication>

namespace exchangelog {

CapturingPort::CapturingPort(QObject *parent) : SerialPort(parent)
{
    // First of all connections, so it runs before any reader of the same announcement.
    connect(this, &QIODevice::readyRead, this, &CapturingPort::takeArrivals);
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
}

bool CapturingPort::waitForReadyRead(int msecs)
{
    takeArrivals();
    return SerialPort::waitForReadyRead(msecs);
}

bool CapturingPort::waitForBytesWritten(int msecs)
{
    takeArrivals();
    return SerialPort::waitForBytesWritten(msecs);
}

qint64 CapturingPort::writeData(const char *data, qint64 maxSize)
{
    const qint64 written = SerialPort::writeData(data, maxSize);
    if (written > 0)
        emit captured({exchangelog::Direction::Sent, QByteArray(data, int(written)),
                       QDateTime::currentDateTime(), portName()});
    return written;
}

bool CapturingPort::eventFilter(QObject *, QEvent *)
{
    // Readers may have taken bytes since the last look; what is held now is the base for the next arrival.
    // Anything above it came without an announcement (a reader waited inside one): reported late.
    takeArrivals();
    return false;
}

void CapturingPort::takeArrivals()
{
    const qint64 held = SerialPort::bytesAvailable();
    if (held > reportedUnread)
        emit captured({exchangelog::Direction::Received, peek(held).mid(int(reportedUnread)),
                       QDateTime::currentDateTime(), portName()});
    reportedUnread = held;
}

} // namespace exchangelog
