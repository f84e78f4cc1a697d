#pragma once

#include <QByteArray>
#include <QString>

// The one encoding of the serial line and of the parser. It is fixed (Windows-1251 on every platform), so
// the same parameter set gives the modem the same bytes from every workstation and Cyrillic text survives.
namespace linecodec {

QByteArray encode(const QString &text);
// Whether every character of the text has a byte in the line's encoding (else it goes out as "?").
bool canEncode(const QString &text);
// The first character of the text that the line cannot carry, as a person reads it ("é"; "U+1F600" where
// it would not show); empty when the line carries every one.
QString firstUncarried(const QString &text);
// "Символ «é» не передаётся модему (линия передаёт только Windows-1251)".
QString uncarriedMessage(const QString &character);
// Decodes the bytes up to the first NUL byte (or all of them); a null array gives an empty text.
QString decode(const QByteArray &bytes);

} // namespace linecodec
