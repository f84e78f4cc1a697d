#pragma once

#include <QString>
#include <QTime>

// The words of the main window's status line: where the form's values came from and what the last
// operation did, with the time. Nothing here touches a widget.
namespace statusline {

enum class Outcome {
    // the search
    ModemFound,    // subject: the port in use
    ModemNotFound, // no port answered
    NoPorts,       // the system lists no serial port
    PortSilent,    // subject: the port chosen, on which the modem did not answer
    // the link, from any operation
    PortNotOpened, // subject: the port
    LinkLost,      // the port failed or went away
    WriteError,
    NoReply,         // nothing came back to "READALL;"
    ReplyIncomplete, // the reply to "READALL;" did not end as a whole set
    ModemRestarted,  // the modem said "MODEM_READY;" unasked in the middle of a read
    CommandSent,
    EmptyCommand,   // the command line was empty: nothing sent
    IdentityRead,   // the modem answered the identity queries
    IdentityPartly, // subject: the queries it did not answer
    // the values of the form (these say where they came from)
    Read,       // subject: the port
    ReadPartly, // the validation stopped at a failure
    Written,    // written and read back the same
    Mismatched, // written; count parameters read back different
    Loaded,     // subject: the file
    LoadedPartly,
    // the rest of the write and the files
    WrittenUnchecked,  // written, but nothing came back to check
    WrittenLinkLost,   // "WRITEALL;" left whole, then the link was lost before the read-back
    WrittenIncomplete, // written, but the read-back did not end as a whole set
    WriteRestarted,    // the modem restarted in the middle of the write: not written as a set
    Saved,             // subject: the file
    SaveRefused,       // subject: why (the message a load of the set would show)
    WriteRefused,      // subject: why
    NotSaved,
    FileNotOpened,
    FileNotRead,
    HistoryNotKept, // subject: why
    EditsKept,      // the form's unsaved edits went to the history before a read or load replaced them
};

struct Event
{
    Outcome outcome = Outcome::ModemNotFound;
    QTime at;
    QString subject; // a port name or a file path, for the outcomes that name one
    int count = 0;   // Mismatched: how many parameters
};

// Before anything was read or loaded.
QString defaults();
// Whether the outcome tells where the form's values now come from (else it only says what happened).
bool tellsOrigin(Outcome outcome);
// The outcome's words with its time: "прочитаны из модема (COM3) в 10:31:02".
QString describe(const Event &event);
// Whether the outcome leaves the form matching the modem or a file again, so earlier edits stop counting: a
// read or load that stopped partway leaves them standing beside what it filled.
bool clearsEdits(Outcome outcome);
// What an outcome does to the verdict of a write that could not be checked, still on the line: a later
// change of the link adds to it (it stays said), one it already says changes nothing, anything else
// replaces it.
enum class AfterVerdict { Replace, Add, Keep };
AfterVerdict afterVerdict(Outcome verdict, Outcome next);
// Whether the outcome is such a verdict.
bool isUncheckedWrite(Outcome outcome);
// The whole line: the values' origin, "изменены" once the form was edited since, and, if the last operation
// did not set them, what it did.
QString line(const QString &origin, const QString &lastOperation, bool edited = false);

} // namespace statusline
