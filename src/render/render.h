// Which renderer turns which command's reply into its body.
#pragma once

#include "values/json.h"

#include <string>
#include <string_view>

namespace tv {

using Renderer = std::string (*)(const JsonNode& reply);

// The renderer of a control command; nullptr for image and video, which
// print their own result.
Renderer renderer_for(std::string_view command);

}  // namespace tv
