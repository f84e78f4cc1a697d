#pragma once

#include <QtGlobal>

// When the bytes handed to the serial port will have left a 9600-baud 8N1 line. The send path clears the
// port before every write, which would throw away whatever is still queued; it waits until then first.
namespace sendtiming {

constexpr int baudRate = 9600;
constexpr int bitsPerByte = 10; // start, 8 data, stop
// Covers the driver's and the adapter's own hand-over on top of the bare line time.
constexpr int marginMs = 5;

qint64 nowNs(); // a monotonic clock

qint64 lineTimeNs(qint64 bytes);
// bytes handed over at nowNs queue behind whatever had not left yet.
qint64 leavesAt(qint64 previousLeavesAtNs, qint64 nowNs, qint64 bytes);
// Whole milliseconds to wait at nowNs until bytes due to leave at leavesAtNs are gone, margin included;
// 0 when they are.
int waitMs(qint64 leavesAtNs, qint64 nowNs);

} // namespace sendtiming
