#include "app/windowicon.h"

#ifndef Q_OS_WIN
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#endif

#ifndef Q_OS_WIN
// The resource lives in a static library: nothing would pull it into a program without this.
static void initIconResource()
{
    Q_INIT_RESOURCE(icon);
}
#endif

QIcon windowicon::icon()
{
#ifdef Q_OS_WIN
    // Windows takes every window's icon from the program's own icon resource (IDI_ICON1).
    return QIcon();
#else
    initIconResource();
    QSvgRenderer svg(QStringLiteral(":/velon-configurator.svg"));
    QIcon icon;
    if (!svg.isValid())
        return icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        svg.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
#endif
}
