#pragma once

#include "cli/command_table.h"
#include "http_client/control_client.h"

namespace tv {

// Runs the whole image command: prints the path and returns, or fails.
void run_image_command(const ParsedArgs& args, const CallerEnv& env);

}  // namespace tv
