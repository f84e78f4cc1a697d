#pragma once

#include "sim/faults.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// What a soak cycle's outcome was, judged from what the simulated modem stores, never from the program's
// words alone; and the table of outcomes per fault. Nothing here touches a port or a widget.
namespace soak {

using Set = QMap<QString, QString>; // key -> value

enum class Outcome {
    Held,            // success said, and the modem holds every key as written
    TruthfulFailure, // no success said, and every key named as written wrongly is so
    FalseSuccess,    // success said, and the modem does not hold what was written
    FalseMismatch, // "Параметр записан некорректно" about a key the modem holds as written
    Hang,          // the cycle did not end within the bound
    Crash,         // velon-cli did not exit by itself
};
constexpr int outcomeCount = 6;

// What the program said about one write.
struct Claim
{
    bool hung = false;
    bool crashed = false;
    bool success = false; // velon-cli's status 0, the window's "записаны в модем и проверены"
    QStringList mismatchedKeys; // keys it said were written wrongly
};

// Whether stored holds each of the 26 keys with its written value; a key stored has to be there.
bool holds(const Set &stored, const Set &written);
Outcome classify(const Set &written, const Set &stored, const Claim &claim);
// The keys among the 26 that a "Параметр записан некорректно" message names; none for other messages.
QStringList mismatchedKeys(const QString &message);
// What velon-cli said about a write: how it exited and its standard error.
Claim cliClaim(bool hung, bool crashed, int exitCode, const QString &standardError);
// What the window said about a write: its status line as the write left it (it was emptied before) and the
// message boxes the write showed.
Claim windowClaim(bool hung, const QString &statusLine, const QStringList &boxTexts);
// Whether the boxes asked before the write about keys the engineer had not edited.
bool askedAboutUnedited(const QStringList &boxTexts);
// Whether the status line a read left (it was emptied before) says the whole set was read, and nothing else
// (but that the edits it replaced were kept in the history).
bool readWhole(const QString &statusLine);

// A read whose values reached the form other than the modem held them: the keys so damaged, the key the
// engineer then edited left out.
QStringList damagedKeys(const Set &formAfterRead, const Set &modemAtRead, const QString &editedKey);
// Whether the modem now stores one of those keys with the damaged value the form held.
bool damageStored(const QStringList &damaged, const Set &formAfterRead, const Set &stored);

// One cycle on standard error: its fault and what it did, the keys the modem does not hold as written, the
// outcome and what the program said (VELON_SOAK_VERBOSE).
void describeCycle(const char *program, int cycle, const sim::Fault &fault,
                   const QVector<sim::FaultEvent> &events, const Set &written, const Set &stored,
                   Outcome outcome, const QStringList &said);

// Outcomes per fault kind.
class Tally
{
public:
    struct Row
    {
        int cycles = 0;
        int fired = 0; // the fault was injected (a fault whose place never came is not)
        int outcomes[outcomeCount] = {};
        // Window cycles only.
        int damagedUnasked = 0; // a damaged read written without the question
        int asked = 0;          // the question about keys not edited was asked
        int mostBoxes = 0;      // message boxes of the one write that showed most
    };

    void add(sim::Fault::Kind kind, bool fired, Outcome outcome);
    Row &row(sim::Fault::Kind kind) { return rows[kind]; }
    Row total() const;
    // A markdown table, one row per fault (none first) and the total; window: its three more columns.
    QString table(bool window) const;

private:
    QMap<sim::Fault::Kind, Row> rows;
};

} // namespace soak
