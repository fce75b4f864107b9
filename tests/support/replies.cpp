#include "support/replies.h"

#include "base/fail.h"

#include <gtest/gtest.h>

namespace tvtest {

tv::Json reply_from(std::string_view json_text) {
    tv::JsonParse parsed = tv::parse_json(json_text);
    if (!parsed.value) ADD_FAILURE() << "bad reply text: " << parsed.error << "\n" << json_text;
    return parsed.value ? std::move(*parsed.value) : tv::Json();
}

std::string render_body(tv::Renderer render, const tv::Json& reply) {
    try {
        return render(reply);
    } catch (const tv::Failure& f) {
        return "<failed: " + f.message + ">";
    }
}

std::string rendered(tv::Renderer render, std::string_view reply_text) {
    return render_body(render, reply_from(reply_text));
}

std::string render_failure(tv::Renderer render, const tv::Json& reply) {
    try {
        return "<rendered: " + render(reply) + ">";
    } catch (const tv::Failure& f) {
        return f.message;
    }
}

std::string failure(tv::Renderer render, std::string_view reply_text) {
    return render_failure(render, reply_from(reply_text));
}

}  // namespace tvtest
