#pragma once

#include <QMargins>

#include <optional>

class QWindow;

namespace windowframe {
// The frame around the window as its X11 window manager reports it (_NET_FRAME_EXTENTS); nothing where the
// window manager has not set it yet, where there is none, and on platforms without X11.
std::optional<QMargins> reported(const QWindow *window);
} // namespace windowframe
