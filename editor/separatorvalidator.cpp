#include "editor/separatorvalidator.h"

SeparatorValidator::SeparatorValidator(const QString &refused, QObject *parent)
    : QValidator(parent), refused(refused)
{
}

QValidator::State SeparatorValidator::validate(QString &input, int &pos) const
{
    input = fieldtext::without(input, refused, &pos);
    return Acceptable;
}
