#pragma once

#include <QString>
#include <QStringList>

// velon-cli's commands. Each returns the program's exit status.
namespace commands {

// Exit statuses for scripts, the usual ones of Unix tools; of several, the highest is the worst.
constexpr int ok = 0;
constexpr int refused = 1;  // a check refused the set, file or table, diff found differences, the read-back
                            // differed, a second modem gave an IMEI already written
constexpr int noLink = 2;   // no modem (or fewer than --expect), the port could not be opened, the link was
                            // lost, no answer (to "IMEI;" too, for a write to several)
constexpr int misused = 64; // wrong usage
constexpr int noInput = 66; // an input file is missing or cannot be read
constexpr int cannotCreate = 73; // an output file cannot be created
constexpr int writeError = 74;   // an error while writing output
// A stop asked by a signal: 128 + its number (130 for Ctrl+C, 143 for SIGTERM), from interrupt::status().

struct Options
{
    QString port; // empty: search like the window
    QString out;  // empty: standard output (read) or nothing (check); "-": standard output
    int waitMs = 500;
    bool json = false; // one JSON document on standard output
    bool all = false;  // every port where a modem answers
    QStringList ports; // these ports, at once (--ports)
    int jobs = 0;      // how many modems at once; 0: all
    int expect = 0;    // --all: fewer modems found than this is a failure
    QString outDir;    // read of several modems: one file each here
    QString values;    // a table of each modem's own values
    bool fleet() const { return all || !ports.isEmpty(); }
};

int ports(const Options &options);
int read(const Options &options);
int check(const QString &file, const Options &options);
int diff(const QString &file, const Options &options);
int write(const QString &file, const Options &options);
int send(const QString &text, const Options &options);

// The text of --help.
QString help();

} // namespace commands
