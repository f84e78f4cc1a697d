#include "link/replywait.h"

#include "params/linecodec.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QIODevice>
#include <QTimer>

static bool holds(QIODevice *device, const QString &text)
{
    return device->isOpen() && linecodec::decode(device->peek(device->bytesAvailable())).contains(text);
}

bool waitForText(QIODevice *device, const QString &text, int ms)
{
    if (holds(device, text))
        return true;
    QTimer timer;
    timer.setInterval(ms);
    timer.setSingleShot(true);
    // A coarse timer may fire 5 % early; a silent port is owed its full wait.
    timer.setTimerType(Qt::PreciseTimer);
    QEventLoop loop;
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
    QObject::connect(device, &QIODevice::readyRead, &loop, [&] {
        if (holds(device, text))
            loop.quit();
    });
    timer.start();
    loop.exec();
    return holds(device, text);
}
