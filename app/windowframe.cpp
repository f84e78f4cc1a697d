#include "app/windowframe.h"

#include <QGuiApplication>
#include <QWindow>

#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && __has_include(<dlfcn.h>)
#include <dlfcn.h>
#define VELON_X11_FRAME 1
#endif

#ifdef VELON_X11_FRAME
namespace {

// Xlib, opened at run time: the xcb platform plugin has loaded it already, and no build needs its headers.
// A connection of our own, so that the toolkit's event handling is left alone.
class Xlib
{
public:
    using Display = void;
    using Atom = unsigned long;
    using XWindow = unsigned long;

    static Xlib &instance()
    {
        static Xlib xlib;
        return xlib;
    }

    std::optional<QMargins> frameExtents(XWindow window) const
    {
        if (!display || !frameAtom)
            return std::nullopt;
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char *data = nullptr;
        const Atom cardinal = 6; // XA_CARDINAL
        if (getProperty(display, window, frameAtom, 0, 4, 0, cardinal, &type, &format, &count, &after,
                        &data) != 0 ||
            !data)
            return std::nullopt;
        std::optional<QMargins> extents;
        if (type == cardinal && format == 32 && count == 4) {
            // Format 32 comes as C longs: left, right, top, bottom.
            const long *v = reinterpret_cast<const long *>(data);
            extents = QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
        }
        xfree(data);
        return extents;
    }

    Xlib(const Xlib &) = delete;
    Xlib &operator=(const Xlib &) = delete;

private:
    Xlib()
    {
        library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
        if (!library)
            return;
        auto openDisplay = reinterpret_cast<Display *(*)(const char *)>(dlsym(library, "XOpenDisplay"));
        auto internAtom =
            reinterpret_cast<Atom (*)(Display *, const char *, int)>(dlsym(library, "XInternAtom"));
        getProperty = reinterpret_cast<GetProperty>(dlsym(library, "XGetWindowProperty"));
        xfree = reinterpret_cast<int (*)(void *)>(dlsym(library, "XFree"));
        closeDisplay = reinterpret_cast<int (*)(Display *)>(dlsym(library, "XCloseDisplay"));
        if (!openDisplay || !internAtom || !getProperty || !xfree || !closeDisplay)
            return;
        display = openDisplay(nullptr);
        if (display)
            frameAtom = internAtom(display, "_NET_FRAME_EXTENTS", 0);
    }
    ~Xlib()
    {
        if (display)
            closeDisplay(display);
        if (library)
            dlclose(library);
    }

    using GetProperty = int (*)(Display *, XWindow, Atom, long, long, int, Atom, Atom *, int *,
                                unsigned long *, unsigned long *, unsigned char **);
    void *library = nullptr;
    Display *display = nullptr;
    Atom frameAtom = 0;
    GetProperty getProperty = nullptr;
    int (*xfree)(void *) = nullptr;
    int (*closeDisplay)(Display *) = nullptr;
};

} // namespace
#endif

std::optional<QMargins> windowframe::reported(const QWindow *window)
{
#ifdef VELON_X11_FRAME
    if (window && window->handle() && QGuiApplication::platformName() == QLatin1String("xcb"))
        return Xlib::instance().frameExtents(window->winId());
#else
    Q_UNUSED(window)
#endif
    return std::nullopt;
}
