#pragma once

#include "exchangelog/exchangelog.h"

#include "link/serialport.h"

namespace exchangelog {

// The modem's port, which also reports every byte that crosses it, once, as it crosses: what is written,
// when it is handed to the port, and what is received, when the port takes it in, whoever reads it later
// (or clears it unread). Peeking reads nothing.
//
// The port takes bytes in only while an event is dispatched or inside a wait for reading or writing. So the
// count of bytes it holds is noted before every event of the application and every such wait; what it holds
// above that count when it announces new bytes is new. The port's own announcement reaches this class
// before any reader, which is connected later.
class CapturingPort : public SerialPort
{
    Q_OBJECT

public:
    explicit CapturingPort(QObject *parent = nullptr);

    bool waitForReadyRead(int msecs) override;
    bool waitForBytesWritten(int msecs) override;

signals:
    void captured(const exchangelog::Chunk &chunk);

protected:
    qint64 writeData(const char *data, qint64 maxSize) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Reports what the port holds above the bytes already reported and still unread.
    void takeArrivals();

    qint64 reportedUnread = 0;
};

} // namespace exchangelog
