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
    // The waits pace records on the line: to the millisecond, not to the system's coarse tick (15.6 ms on
    // Windows, which would add most of a tick to every record).
    timer.setTimerType(Qt::PreciseTimer);
    QEventLoop loop;
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start();
    loop.exec();
    // Only the application's quit ends this loop before its timer.
    return !timer.isActive();
}
