#include "params/fieldtext.h"

#include "params/linecodec.h"

namespace fieldtext {

QString separators()
{
    return QStringLiteral(",;");
}

bool carriable(QChar c)
{
    if (c == '\r' || c == '\n' || c == QChar(0))
        return false;
    if (c.unicode() < 0x80)
        return true;
    // A lone half of a surrogate pair does not survive either, so both halves of an emoji go.
    const QString one(c);
    return linecodec::decode(linecodec::encode(one)) == one;
}

QString without(const QString &text, const QString &refused, int *cursor)
{
    QString result;
    result.reserve(text.size());
    int removedBeforeCursor = 0;
    for (int i = 0; i < text.size(); ++i) {
        if (!refused.contains(text.at(i)) && carriable(text.at(i)))
            result.append(text.at(i));
        else if (cursor && i < *cursor)
            ++removedBeforeCursor;
    }
    if (cursor)
        *cursor -= removedBeforeCursor;
    return result;
}

} // namespace fieldtext
