#pragma once

#include "cli/caller_env.h"
#include "cli/command_table.h"

namespace tv {

// Runs the whole video command: prints the path and returns, or fails.
void run_video_command(const ParsedArgs& args, const CallerEnv& env);

}  // namespace tv
