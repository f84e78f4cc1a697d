#pragma once

#include <QIcon>

namespace windowicon {
// The program's icon (the one the desktop entry names), drawn from the built-in SVG at the usual sizes, for
// window managers that do not read desktop files.
QIcon icon();
} // namespace windowicon
