#include "link/delay.h"

#include <QEventLoop>
#include <QTimer>

void delayMs(int ms)
{
    waitMs(ms);
}

bool waitMs(int ms)
{
    QTimer timer;
    timer.setInterval(ms);
    timer.setSingleShot(true);
    QEventLoop loop;
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start();
    loop.exec();
    // Only the application's quit ends this loop before its timer.
    return !timer.isActive();
}
