#include "editor/separatorvalidator.h"

namespace fieldtext {

QString separators()
{
    return QStringLiteral(",;");
}

QString without(const QString &text, const QString &refused, int *cursor)
{
    QString result;
    result.reserve(text.size());
    int removedBeforeCursor = 0;
    for (int i = 0; i < text.size(); ++i) {
        if (!refused.contains(text.at(i)))
            result.append(text.at(i));
        else if (cursor && i < *cursor)
            ++removedBeforeCursor;
    }
    if (cursor)
        *cursor -= removedBeforeCursor;
    return result;
}

} // namespace fieldtext

SeparatorValidator::SeparatorValidator(const QString &refused, QObject *parent)
    : QValidator(parent), refused(refused)
{
}

QValidator::State SeparatorValidator::validate(QString &input, int &pos) const
{
    input = fieldtext::without(input, refused, &pos);
    return Acceptable;
}
