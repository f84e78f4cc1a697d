#include "app/windowfit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace {

QSize fitted(const QRect &available, QSize wanted, QSize minimum, const QMargins &frame)
{
    const QSize room(available.width() - frame.left() - frame.right(),
                     available.height() - frame.top() - frame.bottom());
    return wanted.boundedTo(room).expandedTo(minimum);
}

// Moves the frame of a window of the given size so that it lies inside the area, the top-left first.
QRect inside(const QRect &available, QPoint topLeft, QSize size, const QMargins &frame)
{
    const int frameWidth = size.width() + frame.left() + frame.right();
    const int frameHeight = size.height() + frame.top() + frame.bottom();
    int x = qMin(topLeft.x() - frame.left(), available.right() + 1 - frameWidth);
    int y = qMin(topLeft.y() - frame.top(), available.bottom() + 1 - frameHeight);
    x = qMax(x, available.left());
    y = qMax(y, available.top());
    return QRect(QPoint(x + frame.left(), y + frame.top()), size);
}

} // namespace

QRect windowfit::place(const QRect &available, QSize wanted, QSize minimum, const QMargins &frame,
                       QPoint centre)
{
    const QSize size = fitted(available, wanted, minimum, frame);
    // The frame's middle on the centre: the title bar counts.
    const QSize outer(size.width() + frame.left() + frame.right(),
                      size.height() + frame.top() + frame.bottom());
    const QPoint topLeft(centre.x() - outer.width() / 2 + frame.left(),
                         centre.y() - outer.height() / 2 + frame.top());
    return inside(available, topLeft, size, frame);
}

QRect windowfit::beside(const QRect &available, const QRect &other, QSize wanted, QSize minimum,
                        const QMargins &frame)
{
    const QSize size = fitted(available, wanted, minimum, frame);
    const int frameWidth = size.width() + frame.left() + frame.right();
    const int rightRoom = available.right() - other.right();
    const int leftRoom = other.left() - available.left();
    const int top = other.top() + frame.top();
    if (rightRoom >= frameWidth || (leftRoom < frameWidth && rightRoom >= leftRoom))
        return inside(available, QPoint(other.right() + 1 + frame.left(), top), size, frame);
    return inside(available, QPoint(other.left() - frameWidth + frame.left(), top), size, frame);
}

namespace {

// Before the first show the window system has not said how big its frame is: a title bar of about two
// lines of the window's font, thin borders. Where windows have no frame (no window manager, the offscreen
// platform) the later correction shrinks it to nothing.
QMargins assumedFrame(const QWidget *window)
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return QMargins();
    const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    const int border = 4;
    return QMargins(border, qMax(title, 2 * window->fontMetrics().height()) + border, border, border);
}

QMargins frameOf(const QWidget *window)
{
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                    outer.bottom() - inner.bottom());
}

class Keeper : public QObject
{
public:
    // What the window asks for: the size it was given before it was first shown, or its layout's hint if that
    // is more.
    QSize wanted() const { return asked ? asked() : firstSize.expandedTo(window->sizeHint()); }

    Keeper(QWidget *window, QWidget *anchor, std::function<QSize()> asked)
        : QObject(window), window(window), anchor(anchor), asked(std::move(asked))
    {
        setObjectName(QStringLiteral("windowfit_keeper"));
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != window)
            return false;
        if (event->type() == QEvent::Show && !event->spontaneous()) {
            if (!firstSize.isValid())
                firstSize = window->size();
            // Shown again after a close: placed afresh, with what is known of the frame by now.
            frame = frameOf(window);
            if (frame == QMargins() && !shownBefore)
                frame = assumedFrame(window);
            if (anchor && anchor->isVisible() && frameOf(anchor) != QMargins())
                frame = frameOf(anchor);
            placeWith(frame);
            shownBefore = true;
            correcting = true;
        } else if (correcting && window->isVisible() &&
                   (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
            const QMargins real = frameOf(window);
            if (real != frame && real != QMargins()) {
                // The frame is known now: once more with it, and from then on the user places the window.
                frame = real;
                correcting = false;
                placeWith(frame);
            }
        }
        return false;
    }

private:
    void placeWith(const QMargins &margins)
    {
        const QWidget *on = anchor ? anchor.data() : window;
        QScreen *screen = QGuiApplication::screenAt(on->geometry().center());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (!screen)
            return;
        const QRect available = screen->availableGeometry();
        const QSize minimum = window->minimumSizeHint().expandedTo(window->minimumSize());
        const QRect target =
            anchor && anchor->isVisible()
                ? windowfit::beside(available, anchor->frameGeometry(), wanted(), minimum, margins)
                : windowfit::place(available, wanted(), minimum, margins, available.center());
        window->setGeometry(target);
    }

    QWidget *window;
    QPointer<QWidget> anchor;
    std::function<QSize()> asked;
    QSize firstSize;
    QMargins frame;
    bool shownBefore = false;
    bool correcting = false;
};

} // namespace

void windowfit::keepOnScreen(QWidget *window, QWidget *anchor, std::function<QSize()> wanted)
{
    new Keeper(window, anchor, std::move(wanted));
}

QRect windowfit::placementOn(const QWidget *window, const QRect &available, const QMargins &frame)
{
    // Keeper has no meta-object of its own: found by name.
    const auto *keeper = static_cast<const Keeper *>(
        window->findChild<QObject *>(QStringLiteral("windowfit_keeper"), Qt::FindDirectChildrenOnly));
    const QSize wanted = keeper ? keeper->wanted() : window->size();
    return place(available, wanted, window->minimumSizeHint().expandedTo(window->minimumSize()), frame,
                 available.center());
}
