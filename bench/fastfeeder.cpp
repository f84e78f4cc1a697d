#include "fastfeeder.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

FastFeeder::~FastFeeder()
{
    stopping = true;
    if (prober.joinable())
        prober.join();
    if (master >= 0)
        ::close(master);
}

bool FastFeeder::start()
{
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return false;
    path = QString::fromLocal8Bit(::ptsname(master));
    // Raw on the master side too, so nothing echoes back.
    termios t{};
    if (::tcgetattr(master, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(master, TCSANOW, &t);
    }
    prober = std::thread([this] { answerProbe(); });
    return true;
}

void FastFeeder::answerProbe()
{
    QByteArray in;
    while (!stopping) {
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN))
            continue;
        char buf[256];
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n <= 0)
            continue;
        in.append(buf, int(n));
        if (in.contains("MODEM?;")) {
            const char reply[] = "MODEM_READY;\r\n";
            (void)!::write(master, reply, sizeof reply - 1);
            return;
        }
    }
}

void FastFeeder::pour(int lines, const QByteArray &lastText)
{
    QByteArray block;
    for (int i = 0; i < lines; ++i) {
        block += i + 1 == lines ? "DEBUG=" + lastText + ";\r\n"
                                : "DEBUG=GPRS: session " + QByteArray::number(i) + " keep-alive sent;\r\n";
        if (block.size() < 4096 && i + 1 < lines)
            continue;
        const char *p = block.constData();
        qint64 left = block.size();
        while (left > 0) {
            const ssize_t n = ::write(master, p, size_t(left));
            if (n > 0) {
                p += n;
                left -= n;
            } else if (errno == EAGAIN || errno == EINTR || n == 0) {
                pollfd pf{master, POLLOUT, 0};
                ::poll(&pf, 1, 50);
            } else {
                return;
            }
        }
        block.clear();
    }
}
