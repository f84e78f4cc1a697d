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

// The window moved so that its frame lies inside `available`; one too big for it keeps its title bar's
// top-left corner on the area.
QRect moveInside(const QRect &available, const QRect &window, const QMargins &frame);

// Whether margins measured around a window can be its frame: none negative (a frame the window manager is
// still building measures so) and none wider than a few lines of text, more than any title bar.
bool plausibleFrame(const QMargins &frame, int lineHeight);

// Places the window each time it is shown: centred on its screen, or beside `anchor` when given and
// visible. Until the window is on the screen and the window system has told the frame's size and kept it,
// each time the size changes the window is placed again with it, and wherever the window is moved meanwhile
// its frame is brought back inside the screen's available area. It asks for `wanted()` when given, else for
// the size it had before it was first shown or its layout's hint if that is more.
void keepOnScreen(QWidget *window, QWidget *anchor = nullptr, std::function<QSize()> wanted = {});

// Whether keepOnScreen() is still placing the window after its last show.
bool settling(const QWidget *window);

// Where keepOnScreen() would put the window on a screen with the given available area and frame (for a
// window without it: as place() with its current size).
QRect placementOn(const QWidget *window, const QRect &available, const QMargins &frame);
} // namespace windowfit
