// Replies to merge, models, skills, quota and install-skill.
#pragma once

#include "values/json.h"

#include <string>

namespace tv {

std::string render_merge(const JsonNode& reply);
std::string render_models(const JsonNode& reply);
std::string render_skills(const JsonNode& reply);
std::string render_quota(const JsonNode& reply);
std::string render_install_skill(const JsonNode& reply);

}  // namespace tv
