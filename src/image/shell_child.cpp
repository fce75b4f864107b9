#include "image/shell_child.h"

#include "base/fail.h"
#include "base/owned_fd.h"
#include "image/interrupt_kill.h"
#include "image/pipe_reader.h"
#include "image/tool_report.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <optional>
#include <system_error>
#include <utility>

extern char** environ;

namespace tv {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto watch_step = std::chrono::milliseconds(100);
// How long pipes still held after the child's own end are waited for.
constexpr auto pipe_grace = std::chrono::seconds(1);

[[noreturn]] void fail_start(const std::string& error) { fail("could not start the image tool: " + error); }

// A pipe end on 0, 1 or 2 would be overwritten by the child's own streams.
OwnedFd above_standard_streams(OwnedFd fd) {
    if (fd.get() > STDERR_FILENO) return fd;
    OwnedFd moved(::fcntl(fd.get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1));
    if (moved.get() < 0) fail_start(os_error_text(errno));
    return moved;
}

struct Pipe {
    OwnedFd read_end, write_end;
};

Pipe make_pipe() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) < 0) fail_start(os_error_text(errno));
    Pipe p;
    p.read_end.reset(fds[0]);
    p.write_end.reset(fds[1]);
    p.read_end = above_standard_streams(std::move(p.read_end));
    p.write_end = above_standard_streams(std::move(p.write_end));
    // Lets a reader that gave up take what is there without blocking.
    ::fcntl(p.read_end.get(), F_SETFL, ::fcntl(p.read_end.get(), F_GETFL) | O_NONBLOCK);
    return p;
}

OwnedFd make_eventfd(int flags) {
    const int fd = ::eventfd(0, EFD_CLOEXEC | flags);
    if (fd < 0) fail_start(os_error_text(errno));
    return OwnedFd(fd);
}

// The child leads a process group of its own, so that whatever the shell
// starts can be stopped with it.
pid_t spawn_shell(const std::string& command_line, int out_fd, int err_fd, const sigset_t& mask) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    if (int rc = posix_spawn_file_actions_init(&actions); rc != 0) fail_start(os_error_text(rc));
    if (int rc = posix_spawnattr_init(&attr); rc != 0) {
        posix_spawn_file_actions_destroy(&actions);
        fail_start(os_error_text(rc));
    }
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    int rc = posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (rc == 0) rc = posix_spawn_file_actions_adddup2(&actions, out_fd, STDOUT_FILENO);
    if (rc == 0) rc = posix_spawn_file_actions_adddup2(&actions, err_fd, STDERR_FILENO);
    if (rc == 0) rc = posix_spawnattr_setsigdefault(&attr, &defaults);
    if (rc == 0) rc = posix_spawnattr_setsigmask(&attr, &mask);
    if (rc == 0) rc = posix_spawnattr_setpgroup(&attr, 0);
    if (rc == 0) {
        rc = posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);
    }
    pid_t pid = -1;
    if (rc == 0) {
        std::string sh = "sh", dash_c = "-c", line = command_line;
        char* argv[] = {sh.data(), dash_c.data(), line.data(), nullptr};
        rc = posix_spawnp(&pid, "sh", &actions, &attr, argv, environ);
    }
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) fail_start(os_error_text(rc));
    return pid;
}

void reap(pid_t pid, int& status) {
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// Kills the child's group and reaps the child unless it was reaped already,
// so that no way out of the call, a fatal one included, leaves it running.
struct ChildGuard {
    InterruptKill& interrupt;
    pid_t pid = -1;
    ~ChildGuard() {
        if (pid <= 0) return;
        ::kill(-pid, SIGKILL);
        interrupt.disarm();
        int status = 0;
        reap(pid, status);
    }
};

// Both readers, joined on every way out of the call.
struct Readers {
    OwnedFd give_up = make_eventfd(0);
    OwnedFd finished = make_eventfd(EFD_NONBLOCK);
    std::optional<std::thread> out, err;
    std::string out_bytes, err_bytes;

    void stop_waiting() {
        const std::uint64_t one = 1;
        (void)!::write(give_up.get(), &one, sizeof one);
    }
    void join() {
        if (out && out->joinable()) out->join();
        if (err && err->joinable()) err->join();
    }
    ~Readers() {
        stop_waiting();
        join();
    }
};

timespec to_timespec(Clock::duration d) {
    const auto s = std::chrono::duration_cast<std::chrono::seconds>(d);
    return {static_cast<time_t>(s.count()), static_cast<long>((d - s).count())};
}

Clock::duration left_until(Clock::time_point deadline, Clock::duration cap) {
    const auto now = Clock::now();
    if (now >= deadline) return Clock::duration::zero();
    return std::min<Clock::duration>(deadline - now, cap);
}

// Sleeps until the child ends or `d` has passed, whichever is first.
void wait_for_exit(int pidfd, Clock::duration d) {
    const timespec ts = to_timespec(d);
    if (pidfd >= 0) {
        pollfd p{pidfd, POLLIN, 0};
        ::ppoll(&p, 1, &ts, nullptr);
    } else {
        ::nanosleep(&ts, nullptr);
    }
}

// Until both readers have ended or the deadline has passed.
void wait_for_readers(int finished_fd, Clock::time_point deadline) {
    std::uint64_t ended = 0;
    while (ended < 2) {
        const auto left = left_until(deadline, std::chrono::hours(1));
        if (left == Clock::duration::zero()) return;
        const timespec ts = to_timespec(left);
        pollfd p{finished_fd, POLLIN, 0};
        ::ppoll(&p, 1, &ts, nullptr);
        std::uint64_t count = 0;
        if (::read(finished_fd, &count, sizeof count) == sizeof count) ended += count;
    }
}

// The started reader owns `read_end` from then on. On failure the run ends;
// the guards then close the pipes, kill the child and join any reader
// already running.
void start_reader(const ThreadStarter& starter, std::optional<std::thread>& thread, std::string& bytes,
                  OwnedFd& read_end, PipeReader reader) {
    reader.fd = read_end.get();
    std::string error;
    try {
        thread = starter([&bytes, reader] { bytes = drain_pipe(reader); });
        read_end.release();
        return;
    } catch (const std::system_error& e) {
        error = os_error_text(e.code().value());
    } catch (const std::exception& e) {
        error = e.what();
    }
    fail_start(error);
}

}  // namespace

std::thread start_thread(std::function<void()> body) { return std::thread(std::move(body)); }

ShellRun run_shell_child(const std::string& command_line, PlanDuration timeout, const ThreadStarter& starter) {
    if (command_line.find('\0') != std::string::npos) fail_start("nul byte found in provided data");
    Pipe out = make_pipe();
    Pipe err = make_pipe();
    Readers readers;
    InterruptKill interrupt;
    ChildGuard child{interrupt};
    child.pid = spawn_shell(command_line, out.write_end.get(), err.write_end.get(), interrupt.child_mask());
    interrupt.arm(child.pid);
    out.write_end.reset();
    err.write_end.reset();
    // Readable the moment the child ends, so its exit is noticed at once
    // rather than at the next watch step; older kernels fall back to steps.
    OwnedFd pidfd(static_cast<int>(::syscall(SYS_pidfd_open, child.pid, 0)));

    start_reader(starter, readers.out, readers.out_bytes, out.read_end,
                 {-1, readers.give_up.get(), readers.finished.get(), nullptr});
    start_reader(starter, readers.err, readers.err_bytes, err.read_end,
                 {-1, readers.give_up.get(), readers.finished.get(), shorten_for_tool_report});

    const auto deadline = deadline_after(Clock::now(), timeout);
    ShellRun run;
    for (;;) {
        // Seen ended but not reaped: until it is, its group id cannot pass
        // to another process, whatever the interrupt handler kills.
        siginfo_t ended{};
        if (::waitid(P_PID, static_cast<id_t>(child.pid), &ended, WEXITED | WNOHANG | WNOWAIT) < 0) {
            if (errno == EINTR) continue;
            fail("could not wait for the image tool: " + os_error_text(errno));
        }
        if (ended.si_pid == child.pid) break;
        if (Clock::now() >= deadline) {
            ::kill(-child.pid, SIGKILL);
            run.timed_out = true;
            break;
        }
        wait_for_exit(pidfd.get(), left_until(deadline, watch_step));
    }
    // What the child left running after ending by itself is left alone.
    interrupt.disarm();
    reap(child.pid, run.wait_status);
    child.pid = -1;

    // A process the command line left behind may hold the pipes open for
    // good: after the child's end they get a short grace, within the limit.
    const auto readers_until = run.timed_out ? Clock::now() : std::min(deadline, Clock::now() + pipe_grace);
    wait_for_readers(readers.finished.get(), readers_until);
    readers.stop_waiting();
    readers.join();
    run.stderr_bytes = std::move(readers.err_bytes);
    return run;
}

}  // namespace tv
