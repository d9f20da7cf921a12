#include "cli/InterruptWatch.h"

#include "common/Synchronize.h"

#include <pthread.h>

#include <chrono>

namespace {

sigset_t Interrupts()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, signal);
    return set;
}

} // namespace

InterruptWatch::InterruptWatch(Synchronize& sync, std::function<void()> onInterrupt)
    : InterruptWatch(sync, [onInterrupt = std::move(onInterrupt)](int) { onInterrupt(); })
{}

InterruptWatch::InterruptWatch(Synchronize& sync, std::function<void(int signal)> onInterrupt)
    : sync_(sync), onInterrupt_(std::move(onInterrupt))
{
    const sigset_t set = Interrupts();
    pthread_sigmask(SIG_BLOCK, &set, &oldMask_);
    thread_ = std::thread([this] { Watch(); });
}

InterruptWatch::~InterruptWatch()
{
    // The watching thread takes this SIGINT as its own and sees that it is to stop; one
    // waiting in Synchronize meanwhile is served first.
    stopping_ = true;
    pthread_kill(thread_.native_handle(), SIGINT);
    // Its end wakes no one: look again every few milliseconds.
    while (!sync_.ServeUntil([this] { return over_.load(); }, std::chrono::milliseconds(5))) {
    }
    thread_.join();
    pthread_sigmask(SIG_SETMASK, &oldMask_, nullptr);
}

void InterruptWatch::Watch()
{
    const sigset_t set = Interrupts();
    for (;;) {
        int signal = 0;
        if (sigwait(&set, &signal) != 0) continue;
        if (stopping_) break;
        sync_.Call([this, signal] { onInterrupt_(signal); });
    }
    over_ = true;
}
