#pragma once

#include "sim/faults.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

// A simulated modem behind a pseudo-terminal pair, for tests, the demo and the benchmark.
//
// The configurator opens slavePath() with a real SerialPort; the modem works the master end on a thread
// of its own, so its timing does not depend on the configurator's nested event loops. Every method is
// thread-safe and may be called while the modem runs; settings take effect for the next reply.
//
// The wire is 9600 baud 8N1 in both directions (10 bit times, about 1.04 ms, per byte):
// - Replies leave at 960 bytes/s and reach the configurator in chunks, like a USB-serial adapter: a chunk
//   is handed over when it holds chunkBytes or latencyMs has passed since its first byte came off the line
//   (setChunking; default 62 bytes / 16 ms).
// - The configurator's bytes go through an adapter model (sim/adapter.h): they reach the adapter 16 ms
//   after the modem reads them from the pty, wait in its 256-byte transmit buffer and leave at line rate;
//   while the buffer is full the rest stays in the pty. A modem reacts to a record when its ";" has
//   arrived, and answers answerDelayMs later (default 20 ms).
// - Purge: when the configurator clears its port's output (the pty reports it in packet mode), the
//   adapter's buffer is emptied as a real adapter's is, and the kernel drops what the pty still held. The
//   record they belong to arrives cut short (and usually merged with the next one). Each purge that threw
//   bytes away counts in overrunCount().
// Protocol: "MODEM?;" -> "MODEM_READY;\r\n"; "READALL;" -> the stored records, "KEY=value;\r\n" each;
// "KEY=value;" is kept as pending and applied to the stored set by "WRITEALL;" (no reply);
// "IMEI;", "MODEL;", "PROGVER;", "GSMVER;" -> "IMEI=...;\r\n" and so on; "OPERATOR;" -> "OPERATOR=...;\r\n"
// followed by "RFLEVEL=...;\r\n"; "DEBUG=x;" sets the debug level (no reply, not stored). CR and LF
// around records are ignored; anything else gets no answer.
namespace sim {

// One record as the modem took it off the line.
struct ReceivedRecord
{
    QByteArray data;        // the bytes the modem assembled, ";" included
    double firstByteMs = 0; // modelled arrival of the first byte, ms since start()
    double lastByteMs = 0;  // modelled arrival of the ";"
    double readAtMs = 0;    // when the modem read the first byte from the pty
    bool cut = false;       // an overrun removed bytes from it
};

// One chunk the adapter handed to the configurator's side.
struct Handover
{
    double atMs = 0; // ms since start()
    int bytes = 0;
};

// Bytes an overrun threw away.
struct Overrun
{
    double atMs = 0; // when the new send arrived
    QByteArray lost; // the bytes that had not yet left the line
};

using ParamList = QVector<QPair<QString, QString>>; // key, value (without "=" and ";"), in stored order

class SimModem
{
public:
    SimModem();
    ~SimModem(); // stop()
    SimModem(const SimModem &) = delete;
    SimModem &operator=(const SimModem &) = delete;

    // Creates the pseudo-terminal pair and starts the modem's thread. False, with errorString(), on failure.
    bool start();
    // Stops the thread and closes both ends; the slave path goes away once nobody holds it open.
    void stop();
    bool isRunning() const;
    QString slavePath() const; // e.g. "/dev/pts/7"
    QString errorString() const;
    double elapsedMs() const; // the modem's clock, ms since start()

    // --- the wire
    void setChunking(int chunkBytes, int latencyMs); // chunkBytes >= 1; latencyMs 0 = every byte at once
    void setAnswerDelayMs(int ms);
    // How long the configurator's bytes take from the pty to the adapter's buffer; default 16 ms.
    void setTransmitLatencyMs(double ms);

    // --- the parameter set
    // A realistic set of all 26 keys that the configurator accepts.
    static ParamList defaultParams();
    // Replaces the stored set (any keys, any length) and forgets pending records.
    void setParams(const ParamList &params);
    ParamList params() const;
    QString param(const QString &key) const; // null when the key is not stored
    ParamList pendingParams() const;         // received since the last "WRITEALL;"
    int writeAllCount() const;
    // The order of the "READALL;" reply: keys named here first, in this order, then the rest in stored
    // order. Empty: stored order.
    void setRecordOrder(const QStringList &keys);
    // Answers "READALL;" with exactly these bytes (before noise and cut). A null array restores the set.
    void setReadAllReply(const QByteArray &raw);
    // "WRITEALL;" stores the text of SETID in capitals (the identifier "1,abc" is kept as "1,ABC").
    void setUpperCaseSetId(bool on);

    // --- informational lines
    // word is "IMEI", "MODEL", "OPERATOR", "RFLEVEL", "PROGVER" or "GSMVER".
    void setInfo(const QString &word, const QString &value);
    QString info(const QString &word) const;
    // Answers command (e.g. "MODEM?;") with exactly reply instead of the built-in answer; an empty reply
    // answers nothing; a null reply removes the override.
    void setReply(const QByteArray &command, const QByteArray &reply);
    QString debugLevel() const; // the value of the last "DEBUG=x;" received

    // --- behaviours
    void setSilent(bool on); // receives and stores, never answers
    // Bytes sent right before and right after every reply.
    void setNoise(const QByteArray &before, const QByteArray &after);
    // Every reply (noise included) ends after this many bytes; -1: whole replies.
    void setCutReplyAt(int bytes);
    // During the next reply, once this many of its bytes have been handed over and read by the
    // configurator, the modem closes its end (like an unplugged adapter); one-shot. -1: never.
    void setHangUpAt(int bytes);
    // One-shot faults of the model below (each replaces the fault set before): the next reply long enough
    // to have a byte at atByte stops for ms once atByte of its bytes are on the line, then goes on;
    void setPauseInReply(int atByte, int ms);
    // the next reply long enough to have a byte at atByte has that byte's lowest bit flipped;
    void setFlipInReply(int atByte);
    // the next reply comes ms later than the answer delay;
    void setLateReply(int ms);
    // when the nth record from now arrives the modem restarts instead of handling it: it forgets the records
    // received since the last "WRITEALL;" and says "MODEM_READY;" unasked. 0: never.
    void setRestartAtRecord(int n);
    // Closes the modem's end now. The slave path goes away and cannot be opened again, but its pty number
    // stays taken until stop(), so no other pseudo-terminal can appear under that path meanwhile.
    void hangUp();
    bool isHungUp() const;
    // One fault of the line or the modem (sim/faults.h), injected once where it first applies; replaces
    // the fault set before, and forgets what that one did. Kind::None: none.
    void setFault(const Fault &fault);
    QVector<FaultEvent> faultEvents() const; // what the fault did, once it has

    // --- unsolicited output, paced like a reply
    void sendDebug(const QString &text); // "DEBUG=" + text + ";\r\n"
    void sendRaw(const QByteArray &bytes);
    bool isOutputIdle() const; // no reply waiting, nothing left on the line
    QByteArray sent() const;   // everything handed to the configurator so far
    // The chunks of sent(), as handed over; a slow reader may take several at once.
    QVector<Handover> handovers() const;

    // --- what arrived
    QVector<ReceivedRecord> log() const;
    QByteArrayList records() const;  // the data of log(), in order
    QByteArray received() const;     // every byte read from the pty, before any overrun
    QByteArray unterminated() const; // bytes assembled since the last ";"
    QVector<Overrun> overruns() const;
    int overrunCount() const;
    void clearLog(); // log, received, sent, handovers and overruns

private:
    struct State;
    std::unique_ptr<State> d;
};

} // namespace sim
