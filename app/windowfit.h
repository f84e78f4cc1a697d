#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

#include <functional>

class QWidget;

// Top-level windows that open inside their screen's available area, frame and title bar included.
namespace windowfit {
// The rectangle (without the frame) for a window that would like `wanted` and cannot be smaller than
// `minimum`: shrunk so that with `frame` around it it fits `available`, centred on `centre`, then moved
// inside `available`. A window whose minimum does not fit keeps its title bar's top-left corner on the area.
QRect place(const QRect &available, QSize wanted, QSize minimum, const QMargins &frame, QPoint centre);

// As place(), beside the frame rectangle `other`: to its right when there is room, else to its left, else
// where the wider side leaves the most of it uncovered. Top edges aligned.
QRect beside(const QRect &available, const QRect &other, QSize wanted, QSize minimum, const QMargins &frame);

// Places the window each time it is shown: centred on its screen, or beside `anchor` when given and
// visible; once the window system tells the frame's real size, once more with it. It asks for `wanted()`
// when given, else for the size it had before it was first shown or its layout's hint if that is more.
void keepOnScreen(QWidget *window, QWidget *anchor = nullptr, std::function<QSize()> wanted = {});

// Where keepOnScreen() would put the window on a screen with the given available area and frame (for a
// window without it: as place() with its current size).
QRect placementOn(const QWidget *window, const QRect &available, const QMargins &frame);
} // namespace windowfit
