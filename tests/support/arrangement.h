#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

// How one widget lies against another on a laid-out form: the arrangement stays whatever sizes the fonts
// give the widgets. Both are compared in their window's coordinates.
namespace arrangement {

enum Place {
    Below,         // entirely below the reference
    RightOf,       // entirely right of it
    Touching,      // right of it with no gap
    SameTop,       // top edges level
    SameLeft,      // left edges in line
    SameRight,     // right edges in line
    SameWidth,     // as wide
    SameMiddle,    // vertical centres level (to a pixel)
    Indented,      // left edge further right
    CentredUnder,  // horizontal centres in line (to a pixel)
    CentredInside, // the reference is the parent: as far from its left edge as from its right edge (to a
                   // pixel)
};

inline const char *name(Place place)
{
    static const char *const names[] = {"below",     "right of",      "touching",      "same top",
                                        "same left", "same right",    "same width",    "same middle",
                                        "indented",  "centred under", "centred inside"};
    return names[place];
}

inline QRect inWindow(const QWidget *w)
{
    return QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size());
}

inline bool holds(Place place, const QWidget *widget, const QWidget *reference)
{
    const QRect w = inWindow(widget);
    const QRect r = inWindow(reference);
    switch (place) {
    case Below:
        return w.top() > r.bottom();
    case RightOf:
        return w.left() > r.right();
    case Touching:
        return w.left() == r.right() + 1;
    case SameTop:
        return w.top() == r.top();
    case SameLeft:
        return w.left() == r.left();
    case SameRight:
        return w.right() == r.right();
    case SameWidth:
        return w.width() == r.width();
    case SameMiddle:
        return qAbs((w.top() + w.bottom()) - (r.top() + r.bottom())) <= 2;
    case Indented:
        return w.left() > r.left();
    case CentredUnder:
        return qAbs((w.left() + w.right()) - (r.left() + r.right())) <= 2;
    case CentredInside:
        return qAbs((w.left() - r.left()) - (r.right() - w.right())) <= 1;
    }
    return false;
}

inline QString describe(const QWidget *widget, const QWidget *reference)
{
    auto text = [](const QWidget *w) {
        const QRect r = inWindow(w);
        return QStringLiteral("%1 at %2,%3 %4x%5")
            .arg(w->objectName())
            .arg(r.x())
            .arg(r.y())
            .arg(r.width())
            .arg(r.height());
    };
    return text(widget) + QStringLiteral(", ") + text(reference);
}

} // namespace arrangement
