#include "render/merge_models_skills.h"

#include "cli/fail.h"

namespace tv {

std::string render_merge(const Json&) { fail("this build cannot show the answer to merge yet"); }
std::string render_models(const Json&) { fail("this build cannot show the answer to models yet"); }
std::string render_skills(const Json&) { fail("this build cannot show the answer to skills yet"); }
std::string render_quota(const Json&) { fail("this build cannot show the answer to quota yet"); }
std::string render_install_skill(const Json&) { fail("this build cannot show the answer to install-skill yet"); }

}  // namespace tv
