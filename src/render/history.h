// The body of `history`: the project report by day and user request, in Portuguese.
#pragma once

#include "values/json.h"

#include <string>

namespace tv {

std::string render_history(const JsonNode& reply);

}  // namespace tv
