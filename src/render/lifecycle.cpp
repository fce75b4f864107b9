#include "render/lifecycle.h"

#include "cli/fail.h"

namespace tv {

std::string render_spawn(const Json&) { fail("this build cannot show the answer to spawn yet"); }
std::string render_send(const Json&) { fail("this build cannot show the answer to send yet"); }
std::string render_standby(const Json&) { fail("this build cannot show the answer to standby yet"); }
std::string render_resume(const Json&) { fail("this build cannot show the answer to resume yet"); }
std::string render_close(const Json&) { fail("this build cannot show the answer to close yet"); }

}  // namespace tv
