#include "link/delay.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

void delayMs(int ms)
{
    QTimer timer;
    timer.setInterval(ms);
    timer.setSingleShot(true);
    QEventLoop loop;
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    // quit() of the application ends nested loops too; the wait must not outlive it.
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
    timer.start();
    loop.exec();
}
