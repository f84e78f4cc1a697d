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

QString decode(const QByteArray &bytes)
{
    const int nul = bytes.indexOf('\0');
    return codec()->toUnicode(nul < 0 ? bytes : bytes.left(nul));
}

} // namespace linecodec
