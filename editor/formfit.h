#pragma once

#include <QSize>
#include <Qt>

class QComboBox;
class QLineEdit;
class QScrollArea;
class QSpinBox;
class QWidget;

namespace formfit {
// The smallest width at which the combo box shows each of its items whole. The toolkit's own size hint
// measures the items' ink, which in some fonts (a monospaced one, for example) is a few pixels narrower than
// the advance the label is drawn with.
int comboWidthForItems(const QComboBox *box);

// The smallest width at which the spin box shows its longest value whole.
int spinWidthForValues(const QSpinBox *spin);

// Keeps the line edit at least as wide as `digits` of its font's widest digit need, so that a number of
// that length (an IMEI) is seen whole even where the field cannot be scrolled (disabled).
void keepDigitsWhole(QLineEdit *edit, int digits);

// Gives every combo box under the form at least that width, and widens the form's fixed minimum and maximum
// widths where the desktop's font needs more; called once the items and fonts are set.
void keepTextsWhole(QWidget *form);

// Keeps a scroll area at least as wide (Qt::Horizontal) or as tall (Qt::Vertical) as its contents need, so
// that it scrolls in the other direction only; across, it leaves room for that scroll bar.
void keepWholeAcross(QScrollArea *area, Qt::Orientation whole);

// The smallest size of the window at which none of its scroll areas has to scroll.
QSize sizeShowingWhole(QWidget *window);
} // namespace formfit
