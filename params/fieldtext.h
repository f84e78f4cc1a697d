#pragma once

#include <QString>

// Records have no escaping: a "," inside a field adds a field and a ";" ends the record, so a line edit
// whose text becomes a field must never hold them.
namespace fieldtext {

// Every field separator and record terminator.
QString separators();
// Whether a field can hold the character at all: the serial line carries Windows-1251 only (anything else
// would reach the modem and the file load as "?"), and the parser drops line breaks and stops at NUL.
bool carriable(QChar c);
// The text without any of the given characters and without any a field cannot hold. A cursor position, if
// given, moves left by the number of characters removed in front of it.
QString without(const QString &text, const QString &refused, int *cursor = nullptr);

} // namespace fieldtext
