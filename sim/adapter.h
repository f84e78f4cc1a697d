#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <deque>

namespace sim {

// The USB-serial adapter in the direction the configurator sends. The driver hands bytes over; they reach
// the adapter after its USB latency, wait in its transmit buffer and leave at the line rate (10 bit times
// at 9600 baud each). The buffer takes only so much: the rest stays with the driver (in the
// pseudo-terminal) until there is room. An output purge empties the buffer, bytes on their way included,
// as real adapters do. Times are the modem's clock in ns; not thread-safe (the modem's lock guards it).
class TransmitAdapter
{
public:
    struct Byte
    {
        char c;
        qint64 at;     // when its last bit has reached the modem
        qint64 readAt; // when the adapter took it from the driver
    };

    static constexpr int defaultCapacity = 256;
    static constexpr int defaultLatencyMs = 16;

    void setLatencyNs(qint64 ns) { latencyNs = ns; }
    void setCapacity(int bytes) { capacity = bytes; }

    // How many more bytes the adapter takes from the driver now.
    int room() const { return capacity - int(held.size()); }
    // Bytes the driver handed over at t.
    void take(const QByteArray &bytes, qint64 t);
    // The next byte that has reached the modem by now, popped; false when none.
    bool arrived(qint64 now, Byte *byte);
    // When the next byte reaches the modem; -1 when the buffer is empty.
    qint64 nextArrival() const { return held.empty() ? -1 : held.front().at; }
    // Empties the buffer at t; returns what had not reached the modem.
    QByteArray purge(qint64 t);

private:
    std::deque<Byte> held;
    qint64 lineFreeAt = 0;
    qint64 latencyNs = qint64(defaultLatencyMs) * 1000000;
    int capacity = defaultCapacity;
};

} // namespace sim
