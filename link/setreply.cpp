#include "link/setreply.h"

#include "link/handshake.h"
#include "link/receivepath.h"
#include "params/records.h"

#include "link/serialport.h"
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace setreply {

namespace {

// Waits up to ms, or until the port announces bytes: the set's last chunk is taken as it comes. False when
// the application is quitting.
bool waitForBytes(SerialPort *port, int ms)
{
    QTimer timer;
    timer.setSingleShot(true);
    QEventLoop loop;
    bool arrived = false;
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(port, &QIODevice::readyRead, &loop, [&] {
        arrived = true;
        loop.quit();
    });
    timer.start(ms);
    loop.exec();
    // Only the application's quit ends this loop with neither.
    return arrived || !timer.isActive();
}

} // namespace

Reply receive(SerialPort *port, const std::function<bool()> &interrupted)
{
    bool lost = !port->isOpen();
    // An unplugged adapter shows as errors first and as a closed port one turn later.
    const auto onError = QObject::connect(port, &SerialPort::errorOccurred, [&lost](int error) {
        lost = lost || error == SerialPort::ReadError || error == SerialPort::WriteError ||
               error == SerialPort::ResourceError;
    });
    const auto onClose = QObject::connect(port, &QIODevice::aboutToClose, [&lost] { lost = true; });

    Reply reply;
    QElapsedTimer sinceSent;
    sinceSent.start();
    QElapsedTimer sinceLastByte;
    sinceLastByte.start();
    for (;;) {
        if (!lost && (!waitForBytes(port, pollMs) || interrupted())) {
            reply.end = End::Interrupted;
            break;
        }
        const QByteArray chunk = port->isOpen() ? port->readAll() : QByteArray();
        if (!chunk.isEmpty()) {
            reply.bytes += chunk;
            sinceLastByte.restart();
            if (saysRestarted(reply.bytes)) {
                reply.end = End::Restarted;
                break;
            }
            const int end = setEnd(reply.bytes);
            if (end >= 0) {
                reply.rest = reply.bytes.mid(end);
                reply.bytes.truncate(end);
                reply.end = End::Complete;
                break;
            }
        }
        if (lost) {
            reply.end = End::PortLost;
            break;
        }
        const qint64 elapsed = sinceSent.elapsed();
        const bool quiet =
            elapsed >= firstByteWithinMs && (reply.bytes.isEmpty() || sinceLastByte.elapsed() >= quietLineMs);
        if (quiet || elapsed >= hardLimitMs) {
            reply.end = reply.bytes.isEmpty() ? End::NoReply : End::Incomplete;
            break;
        }
    }
    QObject::disconnect(onError);
    QObject::disconnect(onClose);
    return reply;
}

int setEnd(const QByteArray &bytes)
{
    const QStringList &keys = records::paramsKeyList();
    QStringList seen;
    int start = 0;
    for (int i = 0; i < bytes.size() && bytes.at(i) != '\0'; ++i) {
        if (bytes.at(i) != ';')
            continue;
        QByteArray record = bytes.mid(start, i - start);
        start = i + 1;
        record.replace('\r', QByteArray()).replace('\n', QByteArray());
        const int eq = record.indexOf('=');
        if (eq < 0)
            continue;
        const QString key = QString::fromLatin1(record.left(eq));
        if (keys.contains(key) && !seen.contains(key)) {
            seen.append(key);
            if (seen.size() == keys.size())
                return i + 1;
        }
    }
    return -1;
}

bool saysRestarted(const QByteArray &bytes)
{
    return bytes.contains(handshake::answer().toLatin1());
}

QStringList debugTexts(const QByteArray &bytes)
{
    QStringList texts;
    for (const QString &record : records::splitRecords(bytes)) {
        const records::KeyValue kv = records::splitRecord(record);
        if (kv.valid && kv.key == "DEBUG")
            texts.append(receivepath::interpretLine(record).debugText);
    }
    return texts;
}

} // namespace setreply
