#pragma once

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

} // namespace loadback
