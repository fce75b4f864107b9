// Replies to merge, models, skills, quota and install-skill.
#pragma once

#include "values/json.h"

#include <string>

namespace tv {

std::string render_merge(const Json& reply);
std::string render_models(const Json& reply);
std::string render_skills(const Json& reply);
std::string render_quota(const Json& reply);
std::string render_install_skill(const Json& reply);

}  // namespace tv
