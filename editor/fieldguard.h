#pragma once

#include <QString>

class QLineEdit;

namespace fieldguard {

// Keeps the refused characters out of a line edit, whether typed, pasted (keyboard, context menu, middle
// button) or set by the program. Pasted text is cleaned before the line edit applies its length limit, so
// a separator takes no room from the characters after it.
void install(QLineEdit *edit, const QString &refused);

} // namespace fieldguard
