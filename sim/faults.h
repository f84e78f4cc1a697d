#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// Faults of a real line and a real modem, for the simulated modem to inject (SimModem::setFault): one fault,
// once, into one reply or one received record. Widget-free and port-free; the choice of a cycle's fault is
// seeded, so a soak can be run again fault for fault.
namespace sim {

struct Fault
{
    enum class Kind {
        None,
        LostToHost,     // a byte of a reply lost on its way to the configurator
        FlippedToHost,  // a bit of a reply's byte flipped on its way
        LostToModem,    // a byte of a received record lost on its way to the modem
        FlippedToModem, // a bit of a received record's byte flipped on its way
        ReplyCut,       // a reply ends at offset, the rest never comes
        ReplyLate,      // a reply leaves ms later than it would
        ReplyPaused,    // a reply stops for ms after offset bytes, then goes on
        Restart,        // on the record, the modem restarts: it forgets the records it was given since the
                        // last "WRITEALL;", takes nothing for ms, then says "MODEM_READY;" unasked
        HangUp,         // the adapter is unplugged while the record arrives: it is never taken
        DebugFlood,     // on the record, the modem pours `lines` DEBUG lines onto the line
    };

    Kind kind = Kind::None;
    // Reply faults: the command whose reply it hits ("READALL;"). Record faults: how the record it hits
    // begins ("SETSIM2=", "WRITEALL;"). Empty: the next reply, the next record.
    QByteArray target;
    // The fault waits until the modem has taken this record (CR and LF aside); empty: from setFault().
    QByteArray after;
    int offset = 0; // the byte of the reply or record it hits, taken modulo the length
    // The offset as it is: a reply or record too short to hold a byte there is passed over (and a pause
    // comes after offset bytes).
    bool reach = false;
    int nth = 1;   // the fault hits the nth reply or record where it applies, counted once it is armed
    int ms = 0;    // ReplyLate, ReplyPaused: the delay; Restart: how long the modem boots
    int bit = 0;   // Flipped*: which bit of the byte, 0 to 7
    int lines = 0; // DebugFlood
};

// Whether the fault hits a reply (else a record the modem receives).
bool hitsReply(Fault::Kind kind);
// The fault's name in the soak's table, e.g. "byte lost, modem → configurator".
QString faultName(Fault::Kind kind);
// Every kind but None, in the soak's order.
QVector<Fault::Kind> faultKinds();

// What an injected fault did: the bytes as they were and as they went on (or were taken), so that a soak
// can tell which key a cycle's fault touched.
struct FaultEvent
{
    Fault::Kind kind = Fault::Kind::None;
    double atMs = 0; // the modem's clock
    QByteArray before;
    QByteArray after;
};

// The byte at offset (modulo the length) removed; an empty array stays empty.
QByteArray loseByte(const QByteArray &bytes, int offset);
// The given bit of the byte at offset (modulo the length) inverted.
QByteArray flipBit(const QByteArray &bytes, int offset, int bit);

// Where a cycle's fault may land: replies to commands, records the modem receives, each from the moment the
// modem has taken `after`.
struct FaultSite
{
    QByteArray what;
    QByteArray after;
};
struct FaultSites
{
    QVector<FaultSite> replies;
    QVector<FaultSite> records;
};

// The fault of one cycle: with probability share one of faultKinds(), all equally likely, on a site of its
// sort, with its numbers drawn (a late reply 0.4 to 2.5 s, a pause 0.2 to 1.2 s, a boot 0.1 to 1 s, a flood
// of 10 to 60 lines); else none. The same seed, cycle, share and sites give the same fault.
Fault pickFault(quint32 seed, int cycle, double share, const FaultSites &sites);

} // namespace sim
