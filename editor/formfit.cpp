#include "editor/formfit.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPair>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <QStyleOptionSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QVector>

#include <algorithm>

int formfit::comboWidthForItems(const QComboBox *box)
{
    const QFontMetrics fm = box->fontMetrics();
    int text = 0;
    for (int i = 0; i < box->count(); ++i)
        text = qMax(text, fm.horizontalAdvance(box->itemText(i)));
    QStyleOptionComboBox opt;
    opt.initFrom(box);
    opt.editable = box->isEditable();
    opt.frame = box->hasFrame();
    opt.subControls = QStyle::SC_All;
    // Walk up from the text: the style's frame and arrow come around an edit field in which the label sits
    // one pixel in from each side.
    int width =
        box->style()->sizeFromContents(QStyle::CT_ComboBox, &opt, QSize(text, fm.height()), box).width();
    for (int step = 0; step < 4; ++step) {
        opt.rect = QRect(0, 0, width, box->sizeHint().height());
        const QRect field =
            box->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, box);
        if (field.width() - 2 >= text)
            break;
        width += text - (field.width() - 2);
    }
    return width;
}

int formfit::spinWidthForValues(const QSpinBox *spin)
{
    const QFontMetrics fm = spin->fontMetrics();
    int text = 0;
    for (const int value : {spin->minimum(), spin->maximum()})
        text = qMax(text, fm.horizontalAdvance(spin->prefix() + QString::number(value) + spin->suffix()));
    // The spin box's line edit draws two pixels in from each side and wants one more for the cursor.
    const int need = text + 5;
    QStyleOptionSpinBox opt;
    opt.initFrom(spin);
    opt.frame = spin->hasFrame();
    opt.buttonSymbols = spin->buttonSymbols();
    opt.subControls = QStyle::SC_All;
    int width = need;
    for (int step = 0; step < 4; ++step) {
        opt.rect = QRect(0, 0, width, spin->sizeHint().height());
        const int field = spin->style()
                              ->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxEditField, spin)
                              .width();
        if (field >= need)
            break;
        width += need - field;
    }
    return width;
}

void formfit::keepDigitsWhole(QLineEdit *edit, int digits)
{
    const QFontMetrics fm = edit->fontMetrics();
    // Advances have fractions of a pixel: a row of digits, not one digit times the count.
    int row = 0;
    for (char c = '0'; c <= '9'; ++c)
        row = qMax(row, fm.horizontalAdvance(QString(digits, QLatin1Char(c))));
    // The line edit draws its text two pixels in from each side of its contents, wants one pixel for the
    // cursor and room for glyphs that reach past their advance.
    const QMargins text = edit->textMargins();
    const int need = row + 1 + qMax(0, -fm.minLeftBearing()) + qMax(0, -fm.minRightBearing()) + 4 +
                     text.left() + text.right();
    QStyleOptionFrame opt;
    opt.initFrom(edit);
    opt.lineWidth =
        edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit) : 0;
    const int width =
        edit->style()->sizeFromContents(QStyle::CT_LineEdit, &opt, QSize(need, fm.height()), edit).width();
    if (edit->minimumWidth() < width)
        edit->setMinimumWidth(width);
}

void formfit::keepTextsWhole(QWidget *form)
{
    for (QComboBox *box : form->findChildren<QComboBox *>()) {
        const int width = comboWidthForItems(box);
        if (box->minimumWidth() < width)
            box->setMinimumWidth(width);
    }
    // The form's fixed minimum and maximum widths were drawn for a 10-point font at 96 dpi. A label or group
    // box given a minimum width would be squeezed to it, below its text; a group box given a maximum width
    // would squeeze its fields below their values.
    for (QSpinBox *spin : form->findChildren<QSpinBox *>()) {
        if (spin->minimumWidth() > 0)
            spin->setMinimumWidth(qMax(spin->minimumWidth(), spinWidthForValues(spin)));
    }
    for (QLabel *label : form->findChildren<QLabel *>()) {
        if (label->minimumWidth() > 0 && label->minimumWidth() < label->minimumSizeHint().width())
            label->setMinimumWidth(label->minimumSizeHint().width());
    }
    for (QGroupBox *box : form->findChildren<QGroupBox *>()) {
        if (box->minimumWidth() > 0 && box->minimumWidth() < box->minimumSizeHint().width())
            box->setMinimumWidth(box->minimumSizeHint().width());
        if (box->maximumWidth() < QWIDGETSIZE_MAX && box->maximumWidth() < box->sizeHint().width())
            box->setMaximumWidth(box->sizeHint().width());
    }
}

namespace {

// A layout keeps what it measured until the event loop gets round to it, and a hidden tab's page tells
// nobody that it changed: a minimum set a moment ago counts only once every layout between it and the top
// has forgotten its old answer.
void remeasure(QWidget *top)
{
    for (QWidget *w : top->findChildren<QWidget *>())
        w->updateGeometry();
    for (QLayout *layout : top->findChildren<QLayout *>())
        layout->invalidate();
}

} // namespace

void formfit::keepWholeAcross(QScrollArea *area, Qt::Orientation whole)
{
    remeasure(area->widget());
    const QSize contents = area->widget()->minimumSizeHint();
    const int frame = 2 * area->frameWidth();
    if (whole == Qt::Horizontal)
        area->setMinimumWidth(qMax(area->minimumWidth(),
                                   contents.width() + frame + area->verticalScrollBar()->sizeHint().width()));
    else
        area->setMinimumHeight(
            qMax(area->minimumHeight(),
                 contents.height() + frame + area->horizontalScrollBar()->sizeHint().height()));
}

QSize formfit::sizeShowingWhole(QWidget *window)
{
    // Asked of the layouts: each scroll area held for a moment at the size its contents need.
    QVector<QPair<QWidget *, QSize>> held;
    for (QScrollArea *area : window->findChildren<QScrollArea *>()) {
        if (!area->widget())
            continue;
        held.append({area, area->minimumSize()});
        const int frame = 2 * area->frameWidth();
        area->setMinimumSize(
            area->minimumSize().expandedTo(area->widget()->minimumSizeHint() + QSize(frame, frame)));
    }
    remeasure(window);
    // A tab bar shows every tab without its scroll buttons; a minimum width given to the tab widget is all
    // its layout asks of it, so it must cover the pages too.
    for (QTabWidget *tabs : window->findChildren<QTabWidget *>()) {
        held.append({tabs, tabs->minimumSize()});
        tabs->setMinimumWidth(std::max(
            {tabs->minimumWidth(), tabs->tabBar()->sizeHint().width() + 4, tabs->minimumSizeHint().width()}));
    }
    remeasure(window);
    const QSize whole = window->minimumSizeHint();
    for (const auto &area : held)
        area.first->setMinimumSize(area.second);
    remeasure(window);
    return whole;
}
