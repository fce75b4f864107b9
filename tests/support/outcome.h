// What a call that may end in `fail` came to, and a reply parsed or the test
// failed: the helpers every test folder needs.
#pragma once

#include "base/fail.h"
#include "values/json.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace tvtest {

// What a parse came to; a text that is not JSON fails the test.
template <class Parsed>
auto value_or_fail(Parsed parsed, std::string_view text) {
    if (!parsed.value) ADD_FAILURE() << "bad JSON text: " << parsed.error << "\n" << text;
    return parsed.value ? std::move(*parsed.value) : typename decltype(parsed.value)::value_type();
}

// The exact value, or the reply read the way the client reads it.
inline tv::Json parse_or_fail(std::string_view text) { return value_or_fail(tv::parse_json(text), text); }
inline tv::JsonTree reply_or_fail(std::string_view text) { return value_or_fail(tv::parse_reply(text), text); }

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

// What the call returned, or "fail: {message}".
template <class Call>
std::string result_or_failure(Call&& call) {
    try {
        return call();
    } catch (const tv::Failure& f) {
        return "fail: " + f.message;
    }
}

// What a renderer makes of a reply written as JSON text, so that number kinds are exact.
template <class Render>
std::string rendered(Render render, std::string_view reply_text) {
    return result_or_failure([&, reply = reply_or_fail(reply_text)] { return render(reply); });
}

}  // namespace tvtest
