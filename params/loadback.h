#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// Whether record texts, saved or written as they stand, come back: a file or a modem that holds them is
// read back through the same checks. Nothing here touches a widget.
namespace loadback {

// The message a load of these 26 record texts (in file order) would show where it would not take a value
// as it stands: a stop, or a message after which the previous value is kept (an unknown SETCONF code, a
// settings password of the wrong length). Empty when the load would take every value; a warning after
// which the load still takes the value does not count.
QString blockingMessage(const QStringList &recordTexts);

// What a fresh window makes of a parsed set before it would save or write it (velon-cli's read, check, diff
// and write; the window's comparison with a file or a kept set).
struct Taken
{
    QStringList messages;    // in the order the window shows them, a blocking message last
    QString refusal;         // why the set is not taken as it stands; empty when it is
    QStringList recordTexts; // the 26 record texts the form then holds; empty when refused
};
Taken freshTake(const QMap<QString, QString> &params);

} // namespace loadback
