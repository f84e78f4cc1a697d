#include "files/paramfile.h"

#include <QSaveFile>

namespace paramfile {

QByteArray fileBytes(const QStringList &recordTexts)
{
    QString text;
    for (const QString &record : recordTexts)
        text += record + '\n';
    return text.toUtf8();
}

QString fileText(const QByteArray &bytes)
{
    const int nul = bytes.indexOf('\0');
    QString text = QString::fromUtf8(nul < 0 ? bytes : bytes.left(nul));
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
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

SaveResult save(const QString &fileName, const QByteArray &bytes)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return SaveResult::OpenFailed;
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
