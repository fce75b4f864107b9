// What a renderer makes of a reply written as JSON text, so that number
// kinds are exact.
#pragma once

#include "render/render.h"
#include "support/outcome.h"
#include "support/reply_tree.h"

#include <string>
#include <string_view>

namespace tvtest {

// The body, or "fail: {message}".
inline std::string rendered(tv::Renderer render, std::string_view reply_text) {
    const tv::JsonTree reply = reply_or_fail(reply_text);
    std::string body;
    const std::string failure = failure_of([&] { body = render(reply); });
    return failure == "<no failure>" ? body : "fail: " + failure;
}

}  // namespace tvtest
