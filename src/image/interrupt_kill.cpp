#include "image/interrupt_kill.h"

#include <pthread.h>
#include <atomic>

namespace tv {
namespace {

constexpr int interrupts[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<pid_t> armed_group{0};
static_assert(std::atomic<pid_t>::is_always_lock_free, "read from a signal handler");

void kill_group_then_end(int signal_number) {
    const pid_t group = armed_group.load();
    if (group > 0) ::kill(-group, SIGKILL);
    // SA_RESETHAND has put the default back: the signal raised again ends
    // the client once this handler returns.
    ::raise(signal_number);
}

sigset_t interrupt_set() {
    sigset_t set;
    sigemptyset(&set);
    for (const int s : interrupts) sigaddset(&set, s);
    return set;
}

}  // namespace

InterruptKill::InterruptKill() {
    const sigset_t set = interrupt_set();
    holding_ = ::pthread_sigmask(SIG_BLOCK, &set, &caller_mask_) == 0;
    if (!holding_) ::pthread_sigmask(SIG_SETMASK, nullptr, &caller_mask_);
    struct sigaction ours {};
    ours.sa_handler = kill_group_then_end;
    ours.sa_flags = SA_RESETHAND;
    sigemptyset(&ours.sa_mask);
    for (std::size_t i = 0; i < std::size(interrupts); ++i) {
        if (::sigaction(interrupts[i], nullptr, &earlier_[i]) != 0) continue;
        const bool by_default = !(earlier_[i].sa_flags & SA_SIGINFO) && earlier_[i].sa_handler == SIG_DFL;
        if (by_default) replaced_[i] = ::sigaction(interrupts[i], &ours, nullptr) == 0;
    }
}

InterruptKill::~InterruptKill() {
    disarm();
    let_through();
    for (std::size_t i = 0; i < std::size(interrupts); ++i) {
        if (replaced_[i]) ::sigaction(interrupts[i], &earlier_[i], nullptr);
    }
}

void InterruptKill::arm(pid_t group) {
    armed_group.store(group);
    let_through();
}

void InterruptKill::disarm() { armed_group.store(0); }

void InterruptKill::let_through() {
    if (!holding_) return;
    holding_ = false;
    ::pthread_sigmask(SIG_SETMASK, &caller_mask_, nullptr);
}

}  // namespace tv
