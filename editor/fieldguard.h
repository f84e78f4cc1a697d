#pragma once

#include <QString>

class QLineEdit;

namespace fieldguard {

// Keeps the refused characters, and those no field can hold (fieldtext::carriable), out of a line edit,
// whether typed, pasted (keyboard, context menu, middle button) or set by the program. Pasted text is cleaned
// before the line edit applies its length limit, so a separator takes no room from the characters after it.
// (QLineEdit also runs the validator on setText.)
void install(QLineEdit *edit, const QString &refused);

// Shows a value that came from the modem or a file exactly as it came: the guard is for what the user
// types, and quietly dropping characters of a read value would change the modem's setting on write-back.
void setTextAsIs(QLineEdit *edit, const QString &text);

} // namespace fieldguard
