#include "files/paramfile.h"

#include "params/linecodec.h"
#include "params/records.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextCodec>

namespace paramfile {

namespace {

// The bytes as UTF-8; a null text when they are not valid UTF-8.
QString validUtf8(const QByteArray &bytes)
{
    QTextCodec::ConverterState state;
    const QString text =
        QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
    if (state.invalidChars > 0 || state.remainingChars > 0)
        return QString();
    return text.isNull() ? QString("") : text;
}

} // namespace

QByteArray fileBytes(const QStringList &recordTexts)
{
    QString text;
    for (const QString &record : recordTexts)
        text += record + '\n';
    return text.toUtf8();
}

QString fileText(const QByteArray &bytes)
{
    QString text;
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff")) {
        // Every other byte of UTF-16 text is NUL, so there the end is the first NUL character.
        text = QTextCodec::codecForName("UTF-16")->toUnicode(bytes);
        const int nul = text.indexOf(QChar(0));
        if (nul >= 0)
            text.truncate(nul);
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
    } else {
        const int nul = bytes.indexOf('\0');
        QByteArray content = nul < 0 ? bytes : bytes.left(nul);
        // The mark goes first: read as Windows-1251 it would stand before the first key.
        if (content.startsWith("\xef\xbb\xbf"))
            content.remove(0, 3);
        text = validUtf8(content);
        if (text.isNull()) {
            // One line that is not UTF-8 (added by an older tool) leaves the others as they were written.
            QStringList lines;
            for (const QByteArray &line : content.split('\n')) {
                const QString utf8 = validUtf8(line);
                lines.append(utf8.isNull() ? linecodec::decode(line) : utf8);
            }
            text = lines.join('\n');
        }
    }
    text.replace("\r\n", "\n");
    return text;
}

QString withoutLineBreaks(const QString &text)
{
    // The parser ignores CR anyway; dropping it here too makes a file of empty CR LF lines count as empty.
    QString result = text;
    result.remove('\n');
    result.remove('\r');
    return result;
}

QByteArray setBytes(const QByteArray &fileBytes)
{
    return setBytesOfText(fileText(fileBytes));
}

QByteArray setBytesOfText(const QString &fileText)
{
    return linecodec::encode(withoutLineBreaks(fileText));
}

ReadFile read(const QString &fileName)
{
    // Binary: fileText turns CR LF into LF itself, and text mode would tear UTF-16 apart on Windows.
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = file.size();
    const QByteArray bytes = size > maxFileBytes ? QByteArray() : file.read(maxFileBytes + 1);
    if (size > maxFileBytes || bytes.size() > maxFileBytes)
        return {ReadResult::TooLarge, QByteArray()};
    return {ReadResult::Read, bytes};
}

QString notOpenedMessage()
{
    return QStringLiteral("Не удалось открыть файл");
}

QString tooLargeMessage()
{
    return QCoreApplication::translate("MainWindow", "Файл больше 1 МБ: это не файл параметров");
}

QString emptySetMessage()
{
    return QCoreApplication::translate("MainWindow", "Ошибка чтения данных");
}

bool isRegularFile(const QString &fileName)
{
    const QFileInfo info(fileName);
    return !info.exists() || info.isFile();
}

QString withTxtSuffix(const QString &fileName)
{
    if (fileName.isEmpty() || fileName.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
        return fileName;
    // "set." becomes "set.txt", not "set..txt".
    return fileName + (fileName.endsWith('.') ? QStringLiteral("txt") : QStringLiteral(".txt"));
}

QStringList keysWithReplacedCharacters(const QString &fileText)
{
    const QMap<QString, QString> params =
        records::toParamsMap(records::splitRecordTexts(withoutLineBreaks(fileText)));
    QStringList keys;
    for (const QString &key : records::paramsKeyList()) {
        const auto it = params.constFind(key);
        if (it != params.constEnd() && !linecodec::canEncode(it.value()))
            keys.append(key);
    }
    return keys;
}

QString replacedCharactersMessage(const QStringList &keys)
{
    return QCoreApplication::translate("MainWindow",
                                       "Символы, которые модем не принимает, заменены на «?»: ") +
           keys.join(QStringLiteral(", "));
}

SaveResult save(const QString &fileName, const QByteArray &bytes)
{
    const QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Text;
    QSaveFile file(fileName);
    if (!file.open(mode)) {
        // A folder the user cannot write takes no temporary file beside the target, but a writable file in
        // it can still be overwritten in place; only then can a failed write not keep the old file.
        if (!QFileInfo::exists(fileName))
            return SaveResult::OpenFailed;
        file.setDirectWriteFallback(true);
        if (!file.open(mode))
            return SaveResult::OpenFailed;
    }
    // QSaveFile commits even after a failed flush, so every step is checked before the commit.
    const bool written =
        file.write(bytes) == bytes.size() && file.flush() && file.error() == QFileDevice::NoError;
    if (!written) {
        file.cancelWriting();
        file.commit();
        return SaveResult::WriteFailed;
    }
    return file.commit() ? SaveResult::Saved : SaveResult::WriteFailed;
}

} // namespace paramfile
