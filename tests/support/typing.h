#pragma once

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QString>
#include <QStyleOptionButton>
#include <QtTest>

// Types the text key by key. Characters that the test keyboard has no key for (Cyrillic, accents, CJK,
// the halves of an emoji) arrive as a key that only carries the text, as an input method would send them.
inline void typeText(QWidget *w, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f)
            QTest::keyClick(w, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Types over the whole text of a line edit or a spin box.
inline void typeOver(QWidget *w, const QString &text)
{
    if (auto *edit = qobject_cast<QLineEdit *>(w))
        edit->selectAll();
    else if (auto *spin = qobject_cast<QAbstractSpinBox *>(w))
        spin->selectAll();
    typeText(w, text);
}

// Clicks a radio button or check box where it takes clicks: on its indicator and text, which a layout may
// leave narrower than the widget (its middle can then be empty space that ignores the click).
inline void clickButton(QAbstractButton *button)
{
    QStyleOptionButton opt;
    opt.initFrom(button);
    opt.text = button->text();
    const auto element =
        qobject_cast<QCheckBox *>(button) ? QStyle::SE_CheckBoxClickRect : QStyle::SE_RadioButtonClickRect;
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier,
                      button->style()->subElementRect(element, &opt, button).center());
}
