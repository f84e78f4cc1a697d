#include "cli/interrupt.h"

#include <QtGlobal>

#include <atomic>
#include <csignal>

#ifdef Q_OS_UNIX
#include <signal.h>
#endif

namespace interrupt {

namespace {

std::atomic<int> caught{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler may only touch a lock-free atomic");

void onSignal(int number)
{
    int none = 0;
    if (caught.compare_exchange_strong(none, number))
        return;
    // Asked twice: the person wants out now.
    std::signal(number, SIG_DFL);
    std::raise(number);
}

} // namespace

void install()
{
#ifdef Q_OS_UNIX
    struct sigaction action
    {
    };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // Waits on the port go on after the handler; the work looks at the request at its own boundaries.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
#else
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
#endif
}

bool requested()
{
    return caught.load() != 0;
}

int status()
{
    const int number = caught.load();
    return number == 0 ? 0 : 128 + number;
}

} // namespace interrupt
