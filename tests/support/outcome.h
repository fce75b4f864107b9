// What a call that may end in `fail` came to, and a reply parsed or the test
// failed: the two helpers every test folder needs.
#pragma once

#include "base/fail.h"
#include "values/json.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace tvtest {

// The parsed value; a text that is not JSON fails the test.
inline tv::Json parse_or_fail(std::string_view json_text) {
    tv::JsonParse parsed = tv::parse_json(json_text);
    if (!parsed.value) ADD_FAILURE() << "bad JSON text: " << parsed.error << "\n" << json_text;
    return parsed.value ? std::move(*parsed.value) : tv::Json();
}

// The reply read the way the client reads it; a text that is not JSON fails the test.
inline tv::JsonTree reply_or_fail(std::string_view json_text) {
    tv::JsonTreeParse parsed = tv::parse_reply(json_text);
    if (!parsed.value) ADD_FAILURE() << "bad JSON text: " << parsed.error << "\n" << json_text;
    return parsed.value ? std::move(*parsed.value) : tv::JsonTree();
}

// The text with every `from` in it replaced by `to`.
inline std::string replaced(std::string text, std::string_view from, std::string_view to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The failure message, or "<no failure>" when the call returned.
template <class Call>
std::string failure_of(Call&& call) {
    try {
        call();
    } catch (const tv::Failure& f) {
        return f.message;
    }
    return "<no failure>";
}

}  // namespace tvtest
