// How reply values are read, tested and turned into text. An absent value
// (nothing to read) is a null pointer, distinct from the JSON null.
#pragma once

#include "values/json.h"

#include <string>
#include <string_view>

namespace tv {

using Value = const JsonNode*;

// The member `key` when `holder` is an object that has it; else absent.
Value read_property(Value holder, std::string_view key);
inline Value read_property(const JsonNode& holder, std::string_view key) { return read_property(&holder, key); }

// "undefined", "null", numbers exactly, strings unchanged, arrays joined
// with "," (flattened), objects "[object Object]".
std::string value_text(Value v);
inline std::string value_text(const JsonNode& v) { return value_text(&v); }
void append_value_text(std::string& out, Value v);

// value_text of each element joined with ", ".
std::string join_texts(const JsonNode& array);
void append_joined_texts(std::string& out, const JsonNode& array);

bool is_truthy(Value v);

inline bool is_present(Value v) { return v != nullptr; }
inline bool is_not_null(Value v) { return v == nullptr || !v->is_null(); }
inline bool is_present_and_not_null(Value v) { return v != nullptr && !v->is_null(); }
bool is_string(Value v, std::string_view s);
bool is_true(Value v);
bool is_false(Value v);
bool is_number_above_zero(Value v);
// The number as a double, for JSON numbers only.
bool number_value(Value v, double& out);

}  // namespace tv
