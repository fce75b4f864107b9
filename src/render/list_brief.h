#pragma once

#include "values/json.h"

#include <string>

namespace tv {

std::string render_list(const Json& reply);
std::string render_brief(const Json& reply);

}  // namespace tv
