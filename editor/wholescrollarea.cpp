#include "editor/wholescrollarea.h"

#include <QScrollBar>

QSize WholeScrollArea::sizeHint() const
{
    if (!widget() || !widgetResizable())
        return QScrollArea::sizeHint();
    const int frame = 2 * frameWidth();
    return widget()->sizeHint().expandedTo(widget()->minimumSizeHint()) + QSize(frame, frame);
}
