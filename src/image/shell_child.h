// One "sh -c" child with its output drained on two reader threads, watched
// against a time limit; its process group is killed when it runs out.
#pragma once

#include "image/plan_values.h"

#include <functional>
#include <string>
#include <thread>

namespace tv {

struct ShellRun {
    bool timed_out = false;
    int wait_status = 0;       // from waitpid, when not timed out
    std::string stderr_bytes;  // what the tool report needs of standard error
};

// Starts a reader thread; tests replace it to see a thread that cannot be made.
using ThreadStarter = std::function<std::thread(std::function<void()>)>;
std::thread start_thread(std::function<void()> body);

// Ends the run with "could not start the image tool: ..." or "could not wait
// for the image tool: ..."; the child is reaped before that, when it can be.
// The readers are given a short grace after the child's end, never past the
// deadline (nothing more after a timeout), to see end of file; a process
// that still holds the pipes is not waited for.
ShellRun run_shell_child(const std::string& command_line, PlanDuration timeout,
                         const ThreadStarter& starter = start_thread);

}  // namespace tv
