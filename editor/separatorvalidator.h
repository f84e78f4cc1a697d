#pragma once

#include "params/fieldtext.h"

#include <QString>
#include <QValidator>

// Drops the refused characters (and those no field can hold) from whatever reaches the line edit, typed or
// pasted, and keeps the rest.
class SeparatorValidator : public QValidator
{
    Q_OBJECT

public:
    explicit SeparatorValidator(const QString &refused, QObject *parent = nullptr);

    State validate(QString &input, int &pos) const override;

private:
    QString refused;
};
