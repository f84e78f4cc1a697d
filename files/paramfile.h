#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The parameter file: one record text per line, UTF-8 without a byte-order mark. Nothing here touches a
// widget.
namespace paramfile {

// The file's bytes for the given record texts, each followed by "\n" (an empty text gives an empty line).
QByteArray fileBytes(const QStringList &recordTexts);

// The text of a file's bytes as read: up to the first NUL byte, decoded as UTF-8, a leading byte-order
// mark dropped (an editor may have added one), CR LF turned into LF.
QString fileText(const QByteArray &bytes);

// The text with every line break removed: a record may stand anywhere, even broken over two lines.
QString withoutLineBreaks(const QString &text);

enum class SaveResult { Saved, OpenFailed, WriteFailed };

// Writes the bytes to the file through a temporary file that replaces it only when complete, so a failed
// save leaves the previous file as it was.
SaveResult save(const QString &fileName, const QByteArray &bytes);

} // namespace paramfile
