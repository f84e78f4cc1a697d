#include "app/windowfit.h"

#include "app/windowframe.h"

#include <QApplication>
#include <QBasicTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QTimerEvent>
#include <QWidget>
#include <QWindow>

#include <optional>

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

QRect windowfit::moveInside(const QRect &available, const QRect &window, const QMargins &frame)
{
    return inside(available, window.topLeft(), window.size(), frame);
}

bool windowfit::plausibleFrame(const QMargins &frame, int lineHeight)
{
    const int most = qMax(48, 3 * lineHeight);
    for (const int side : {frame.left(), frame.top(), frame.right(), frame.bottom()}) {
        if (side < 0 || side > most)
            return false;
    }
    return true;
}

namespace {

QMargins measuredFrame(const QWidget *window)
{
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                    outer.bottom() - inner.bottom());
}

// The frame as far as it is known: the window manager's word where it gives one, else the toolkit's
// measure if it is believable. Under X11 the toolkit measures the window manager's windows around ours,
// which exist only once the window is mapped.
std::optional<QMargins> knownFrame(const QWidget *window)
{
    const QWindow *handle = window->windowHandle();
    const int line = window->fontMetrics().height();
    if (const std::optional<QMargins> reported = windowframe::reported(handle)) {
        if (windowfit::plausibleFrame(*reported, line))
            return reported;
    }
    if (!handle || (!handle->isExposed() && QGuiApplication::platformName() == QLatin1String("xcb")))
        return std::nullopt;
    const QMargins measured = measuredFrame(window);
    if (!windowfit::plausibleFrame(measured, line))
        return std::nullopt;
    return measured;
}

// Before the window system has said how big the window's frame will be: what another window of the
// program on the screen has (the anchor's first), or a title bar of about two lines of the window's font
// and thin borders. Where windows have no frame (no window manager, the offscreen platform) the correction
// shrinks it to nothing.
QMargins guessedFrame(const QWidget *window, const QWidget *anchor)
{
    const auto shownFrame = [window](const QWidget *other) -> std::optional<QMargins> {
        if (!other || other == window || !other->isVisible())
            return std::nullopt;
        return knownFrame(other);
    };
    if (const std::optional<QMargins> known = shownFrame(anchor))
        return *known;
    for (const QWidget *other : QApplication::topLevelWidgets()) {
        if (const std::optional<QMargins> known = shownFrame(other))
            return *known;
    }
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return QMargins();
    const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    const int border = 4;
    return QMargins(border, qMax(title, 2 * window->fontMetrics().height()) + border, border, border);
}

class Keeper : public QObject
{
public:
    // What the window asks for: the size it was given before it was first shown, or its layout's hint if that
    // is more.
    QSize wanted() const { return asked ? asked() : firstSize.expandedTo(window->sizeHint()); }
    bool isSettling() const { return ticker.isActive(); }

    Keeper(QWidget *window, QWidget *anchor, std::function<QSize()> asked)
        : QObject(window), window(window), anchor(anchor), asked(std::move(asked))
    {
        setObjectName(QStringLiteral("windowfit_keeper"));
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == window && event->type() == QEvent::Show && !event->spontaneous()) {
            start();
        } else if (watched == window && event->type() == QEvent::Hide && !event->spontaneous()) {
            ticker.stop();
        } else if (isSettling() && !placing &&
                   (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
                    event->type() == QEvent::Expose || event->type() == QEvent::WindowActivate)) {
            settle(false);
        }
        return false;
    }

    void timerEvent(QTimerEvent *event) override
    {
        if (event->timerId() == ticker.timerId() && !placing)
            settle(true);
    }

private:
    // How often a window manager that keeps the window elsewhere is answered before it gets its way, and how
    // many looks while the window is on the screen, at most, before its frame counts as settled.
    static constexpr int mostReplacements = 4;
    static constexpr int mostExposedTicks = 40;

    void start()
    {
        if (!firstSize.isValid())
            firstSize = window->size();
        // Each window's own handle receives its exposure.
        if (QWindow *handle = window->windowHandle()) {
            if (handle != watchedHandle) {
                handle->installEventFilter(this);
                watchedHandle = handle;
            }
        }
        const QWidget *on = anchor && anchor->isVisible() ? anchor.data() : window;
        screen = QGuiApplication::screenAt(on->geometry().center());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        // Shown again after a close: placed afresh, with what is known of the frame by now.
        const std::optional<QMargins> known = knownFrame(window);
        replacements = 0;
        exposedTicks = 0;
        quietTicks = 0;
        placeWith(known.value_or(guessedFrame(window, anchor)));
        ticker.start(50, this);
    }

    // One look at the window while it is being placed: placed again when its frame turned out other than
    // assumed or something moved it away, brought inside the area when it lies over its edge, and left
    // alone once it has stayed put with a known frame for a look.
    void settle(bool tick)
    {
        if (!screen || !window->isVisible()) {
            ticker.stop();
            return;
        }
        const std::optional<QMargins> known = knownFrame(window);
        const QWindow *handle = window->windowHandle();
        const bool exposed = handle && handle->isExposed();
        if (tick && exposed)
            ++exposedTicks;
        const QRect inside =
            windowfit::moveInside(screen->availableGeometry(), window->geometry(), known.value_or(frame));
        if (exposedTicks > mostExposedTicks) {
            // Enough: wherever the window system keeps it, on the screen.
            ticker.stop();
            if (inside != window->geometry())
                move(inside);
            return;
        }
        if (known && *known != frame) {
            placeWith(*known);
            return;
        }
        if (window->geometry() != target && replacements < mostReplacements) {
            ++replacements;
            placeWith(frame);
            return;
        }
        if (inside != window->geometry()) {
            move(inside);
            return;
        }
        if (tick)
            ++quietTicks;
        if (known && exposed && quietTicks > 1)
            ticker.stop();
    }

    void placeWith(const QMargins &margins)
    {
        frame = margins;
        const QRect available = screen->availableGeometry();
        const QSize minimum = window->minimumSizeHint().expandedTo(window->minimumSize());
        const QRect to = anchor && anchor->isVisible()
                             ? windowfit::beside(available, frameRect(anchor), wanted(), minimum, margins)
                             : windowfit::place(available, wanted(), minimum, margins, available.center());
        move(to);
    }

    void move(const QRect &to)
    {
        placing = true;
        window->setGeometry(to);
        placing = false;
        // What the window took of it (no less than its minimum).
        target = window->geometry();
        quietTicks = 0;
    }

    static QRect frameRect(const QWidget *other)
    {
        const std::optional<QMargins> known = knownFrame(other);
        return other->geometry().marginsAdded(known.value_or(QMargins()));
    }

    QWidget *window;
    QPointer<QWidget> anchor;
    std::function<QSize()> asked;
    QPointer<QWindow> watchedHandle;
    QPointer<QScreen> screen;
    QBasicTimer ticker;
    QSize firstSize;
    QMargins frame;
    QRect target;
    bool placing = false;
    int replacements = 0;
    int exposedTicks = 0;
    int quietTicks = 0;
};

const Keeper *keeperOf(const QWidget *window)
{
    // Keeper has no meta-object of its own: found by name.
    return static_cast<const Keeper *>(
        window->findChild<QObject *>(QStringLiteral("windowfit_keeper"), Qt::FindDirectChildrenOnly));
}

} // namespace

void windowfit::keepOnScreen(QWidget *window, QWidget *anchor, std::function<QSize()> wanted)
{
    new Keeper(window, anchor, std::move(wanted));
}

bool windowfit::settling(const QWidget *window)
{
    const Keeper *keeper = keeperOf(window);
    return keeper && keeper->isSettling();
}

QRect windowfit::placementOn(const QWidget *window, const QRect &available, const QMargins &frame)
{
    const Keeper *keeper = keeperOf(window);
    const QSize wanted = keeper ? keeper->wanted() : window->size();
    return place(available, wanted, window->minimumSizeHint().expandedTo(window->minimumSize()), frame,
                 available.center());
}
