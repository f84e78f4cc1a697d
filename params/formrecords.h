#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// What the main window's form makes of a parsed set: the record texts its widgets and their handlers hold
// once the validation has set them, and the messages it shows on the way. The window gets there through
// its widgets; this gets there without one, for velon-cli and for the save and write checks. It models
// what the widgets do to a value: combo items, line edits cutting a longer text at their length limit,
// spin boxes bringing a number into their range (an interval of 1 to 9 lifted to 10), a SETCONF code that
// warns and keeps the previous value, the interface flags, the client/server mode, the settings window's
// handling of SETID, SETLOG, SETCSD and PASSET (a password of the wrong length keeps the previous one), and
// a stop after which the rest of the keys keep their texts.
namespace formrecords {

// What the form holds between two loads.
struct Form
{
    QStringList recordTexts; // the 26 record texts, in records::paramsKeyList() order
    // The settings window's password field. A fresh window shows it empty while its PASSET record holds
    // the built-in password; ever after they agree.
    QString passwordField;
};

// A freshly started window.
Form startup();

struct Outcome
{
    Form form;
    // Every message, in the order the window shows them: warnings, the settings window's refusal of a
    // password, and the stop.
    QStringList messages;
    bool stopped = false;
    // The first message after which a value of the set is not what the form holds: the stop, a value that
    // kept the previous one. Empty when the form holds every value of the set (cut or brought into range
    // as its widgets do).
    QString refusal;
};

// The form after a set parsed into params has been validated onto before.
Outcome apply(const Form &before, const QMap<QString, QString> &params);

} // namespace formrecords
