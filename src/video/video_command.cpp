#include "video/video_command.h"

#include "cli/fail.h"

namespace tv {

void run_video_command(const ParsedArgs&, const CallerEnv&) { fail("video generation is not in this build yet"); }

}  // namespace tv
