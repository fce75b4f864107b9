#include "image/image_command.h"

#include "cli/fail.h"

namespace tv {

void run_image_command(const ParsedArgs&, const CallerEnv&) { fail("image generation is not in this build yet"); }

}  // namespace tv
