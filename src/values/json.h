// The one door to the JSON library: every other file sees only `Json` and
// the two functions below.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace tv {

// Objects keep insertion order; numbers are held as unsigned, signed or
// double, as the text wrote them.
using Json = nlohmann::ordered_json;

// Deepest nesting a reply may have; the outermost array or object is level 1.
inline constexpr int max_json_depth = 128;

struct JsonParse {
    std::optional<Json> value;
    std::string error;  // "{description} at line {line} column {column}"
};

// Parses exactly one value followed only by space, tab, CR or LF. A repeated
// key keeps its first position and takes the later value. Never throws.
JsonParse parse_json(std::string_view text);

// Compact text: no white space, members in insertion order, non-ASCII kept
// as UTF-8, control characters escaped.
std::string to_compact_text(const Json& value);

}  // namespace tv
