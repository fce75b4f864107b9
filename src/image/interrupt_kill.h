// A tool runs in a process group of its own, out of reach of the signals
// that the terminal or a supervisor sends to the client's group. While one
// object of this class lives, SIGINT, SIGTERM and SIGHUP first kill the
// group that is armed, then end the client as they would have. Signals that
// the client ignores or handles itself are left as they are.
#pragma once

#include <sys/types.h>
#include <csignal>

namespace tv {

class InterruptKill {
public:
    // Holds the signals back in the calling thread until `arm`, so that one
    // arriving while the child is being started still finds its group.
    InterruptKill();
    // Disarms, lets held signals through and puts the earlier handling back.
    ~InterruptKill();
    InterruptKill(const InterruptKill&) = delete;
    InterruptKill& operator=(const InterruptKill&) = delete;

    // The signal mask the child should start with: the caller's own.
    const sigset_t& child_mask() const { return caller_mask_; }

    void arm(pid_t group);
    void disarm();

private:
    void let_through();

    sigset_t caller_mask_;
    bool holding_ = false;
    struct sigaction earlier_[3];
    bool replaced_[3] = {};
};

}  // namespace tv
