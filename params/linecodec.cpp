#include "params/linecodec.h"

#include <QTextCodec>

namespace linecodec {

static QTextCodec *codec()
{
    static QTextCodec *const c = QTextCodec::codecForName("Windows-1251");
    return c;
}

QByteArray encode(const QString &text)
{
    return codec()->fromUnicode(text);
}

bool canEncode(const QString &text)
{
    return codec()->canEncode(text);
}

QString firstUncarried(const QString &text)
{
    for (const uint code : text.toUcs4()) {
        const QString character = QString::fromUcs4(&code, 1);
        if (!codec()->canEncode(character))
            return code > 0xffff || QChar::isSurrogate(code) || !QChar::isPrint(code)
                       ? QStringLiteral("U+") + QString::number(code, 16).toUpper().rightJustified(4, '0')
                       : character;
    }
    return QString();
}

QString uncarriedMessage(const QString &character)
{
    return QStringLiteral("Символ «%1» не передаётся модему (линия передаёт только Windows-1251)")
        .arg(character);
}

QString decode(const QByteArray &bytes)
{
    const int nul = bytes.indexOf('\0');
    return codec()->toUnicode(nul < 0 ? bytes : bytes.left(nul));
}

} // namespace linecodec
