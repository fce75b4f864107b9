// Replies written as JSON text, so that number kinds are exact, and what a
// renderer makes of them.
#pragma once

#include "render/render.h"
#include "values/json.h"

#include <string>
#include <string_view>

namespace tvtest {

// The parsed reply; a text that is not JSON fails the test.
tv::Json reply_from(std::string_view json_text);

// The body, or "<failed: {message}>".
std::string render_body(tv::Renderer render, const tv::Json& reply);
std::string rendered(tv::Renderer render, std::string_view reply_text);

// The failure message, or "<rendered: {body}>".
std::string render_failure(tv::Renderer render, const tv::Json& reply);
std::string failure(tv::Renderer render, std::string_view reply_text);

}  // namespace tvtest
