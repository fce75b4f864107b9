// Runs a local image tool's command line and judges what it left behind.
#pragma once

#include "image/attempt_outcome.h"
#include "image/image_plan.h"
#include "image/shell_child.h"

#include <cstdint>
#include <string>

namespace tv {

// Success only for exit status 0 with a non-empty regular file at the path.
AttemptOutcome run_local_image_tool(const ImageAttempt& attempt, const std::string& output_path);

// The reason (or success) for a finished run; `minutes` is the attempt's.
AttemptOutcome judge_tool_run(const ShellRun& run, std::uint64_t minutes, const std::string& output_path);

}  // namespace tv
