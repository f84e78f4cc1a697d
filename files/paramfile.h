#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// The parameter file: one record text per line, UTF-8 without a byte-order mark. Nothing here touches a
// widget.
namespace paramfile {

// The largest file a load takes. A whole set is a few kilobytes; anything near this is no parameter file,
// and reading it would only freeze the window.
constexpr qint64 maxFileBytes = 1024 * 1024;

// The file's bytes for the given record texts, each followed by "\n" (an empty text gives an empty line).
QByteArray fileBytes(const QStringList &recordTexts);

// The text of a file's bytes as read, CR LF turned into LF and a leading byte-order mark dropped (an editor
// may have added one). Bytes with a UTF-16 byte-order mark are UTF-16; others UTF-8, where the whole is not
// valid UTF-8 line by line: each line that is stays UTF-8, the others are Windows-1251 (sets written or
// extended by older tools). The content ends at the first NUL.
QString fileText(const QByteArray &bytes);

// The text with every line break removed: a record may stand anywhere, even broken over two lines.
QString withoutLineBreaks(const QString &text);

// The bytes a load hands to the parser: the file's text without line breaks, in the line's encoding.
QByteArray setBytes(const QByteArray &fileBytes);
// The same for a file's text already decoded by fileText().
QByteArray setBytesOfText(const QString &fileText);

enum class ReadResult { Read, NotOpened, TooLarge };
struct ReadFile
{
    ReadResult result = ReadResult::NotOpened;
    QByteArray bytes;
};
// Reads a parameter file whole; one larger than maxFileBytes is refused before it is read, and never read
// past the limit (a device may have no size at all).
ReadFile read(const QString &fileName);

// What a load says when the file cannot be opened, is too large, or holds no set at all.
QString notOpenedMessage();
QString tooLargeMessage();
QString emptySetMessage();

// Whether a load may read the file: a regular file, or none at all (its open then fails as usual). A FIFO
// would hold the window until something writes into it; a device or a folder holds no set.
bool isRegularFile(const QString &fileName);

// The name a save writes: ".txt" added unless the name ends in it (any case), so that the dialogs' "*.txt"
// filter shows the file; a dotted name ("v1.2 final") has no suffix the filter knows.
QString withTxtSuffix(const QString &fileName);

// The keys, in file order, whose value in a file's text (as fileText() gives it) holds a character the
// line's encoding cannot carry: the load (and a save or a write after it) gives the modem "?" there.
QStringList keysWithReplacedCharacters(const QString &fileText);
// "Символы, которые модем не принимает, заменены на «?»: KEY, …".
QString replacedCharactersMessage(const QStringList &keys);

enum class SaveResult { Saved, OpenFailed, WriteFailed };

// Writes the bytes to the file through a temporary file that replaces it only when complete, so a failed
// save leaves the previous file as it was. Only an existing file in a folder that takes no temporary file
// is written in place.
SaveResult save(const QString &fileName, const QByteArray &bytes);

} // namespace paramfile
