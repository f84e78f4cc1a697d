#pragma once

#include <QByteArray>
#include <QString>

// Where velon-cli's words go: results to standard output, messages and progress to standard error. Every
// function may be called from any of the threads that work on modems at once.
namespace output {

// Writes to standard output and flushes; false once anything written there has failed.
bool toStdout(const QByteArray &bytes);
// A final flush and close of standard output: false when something written there never arrived.
bool closeStdout();

// A line to standard error, the progress cleared first and drawn again after it.
void say(const QString &line);

// Progress is for a person watching, never for a script's log: on a terminal only. With one line (the
// default) each step overwrites the one line; with several, each modem keeps its own line.
void setProgressLines(int count);
void progress(int line, const QString &text);
void endProgress();

enum class Written { Done, NotCreated, WriteFailed };

// Writes bytes to a file: "-" and any name of the file standard output already is (/dev/stdout, the file a
// ">>" appends to) go through standard output's own descriptor; a regular file or a new name is replaced only
// once the new content is complete; anything else that exists (a FIFO, a device) is written as it is, never
// truncated, and a regular file reached through /dev or /proc (/dev/fd/3) is appended to.
// On failure message holds what to tell the person (nothing for standard output: the run's end says it).
Written writeFile(const QString &path, const QByteArray &bytes, QString *message);

// Standard input whole, or its first limit + 1 bytes; false when it cannot be read.
bool readStdin(qint64 limit, QByteArray *bytes);

// A value for a line of text output: backslash, tab, CR and LF written as \\, \t, \r and \n, so that a tab
// always separates columns and a line break always ends a line; any other control character as \xNN, so
// that nothing a modem says can move the cursor or rewrite the terminal.
QString escaped(const QString &value);
// A modem's answer as text output: tab, CR and LF as they came, other control characters as \xNN.
QString withControlsShown(const QString &text);

} // namespace output
