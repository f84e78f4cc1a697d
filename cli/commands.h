#pragma once

#include <QString>
#include <QStringList>

// velon-cli's commands. Each returns the program's exit status.
namespace commands {

// Exit statuses for scripts.
constexpr int ok = 0;
constexpr int refused = 1;  // a check refused the set or file, diff found differences, the read-back differed
constexpr int noLink = 2;   // no modem, the port could not be opened, the link was lost, no answer
constexpr int misused = 64; // wrong usage

struct Options
{
    QString port; // empty: search like the window
    QString out;  // empty: standard output (read) or nothing (check)
    int waitMs = 500;
};

int ports();
int read(const Options &options);
int check(const QString &file, const Options &options);
int diff(const QString &file, const Options &options);
int write(const QString &file, const Options &options);
int send(const QString &text, const Options &options);

// Clears the progress line, if one is shown.
void endProgress();

// The text of --help.
QString help();

} // namespace commands
