#pragma once

#include "cli/caller_env.h"
#include "cli/command_table.h"

namespace tv {

// Runs the whole image command: prints the path and returns, or fails.
void run_image_command(const ParsedArgs& args, const CallerEnv& env);

}  // namespace tv
