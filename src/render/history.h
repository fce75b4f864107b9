#pragma once

#include "values/json.h"

#include <string>

namespace tv {

std::string render_history(const Json& reply);

}  // namespace tv
