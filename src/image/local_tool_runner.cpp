#include "image/local_tool_runner.h"

#include "image/tool_report.h"

#include <sys/wait.h>

namespace tv {

AttemptOutcome judge_tool_run(const ShellRun& run, std::uint64_t minutes, const std::string& output_path) {
    const std::string report = tool_report(run.stderr_bytes);
    if (run.timed_out) {
        return AttemptOutcome::failure("did not finish within " + std::to_string(minutes) +
                                       " minute(s) and was stopped; " + report);
    }
    if (WIFEXITED(run.wait_status)) {
        const int code = WEXITSTATUS(run.wait_status);
        if (code != 0) return AttemptOutcome::failure("failed with exit code " + std::to_string(code) + "; " + report);
        if (has_delivered_file(output_path)) return AttemptOutcome::success();
        return AttemptOutcome::failure("exited cleanly but wrote no file at " + output_path + "; " + report);
    }
    return AttemptOutcome::failure("failed with a signal; " + report);
}

AttemptOutcome run_local_image_tool(const ImageAttempt& attempt, const std::string& output_path) {
    return judge_tool_run(run_shell_child(attempt.command_line, attempt.timeout), minutes_of(attempt.timeout),
                          output_path);
}

}  // namespace tv
