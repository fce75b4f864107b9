// Readers of the request body's members, refusing a member of the wrong type.
#pragma once

#include "values/json.h"

#include <optional>
#include <string>
#include <vector>

namespace devapp {

// A member of the wrong type is refused with a sentence that names it, never
// read as something else.
const std::string& text_member(const tv::Json& body, const char* key);
// A string with something besides white space in it.
const std::string& words_member(const tv::Json& body, const char* key);
// Absent or null gives nothing.
std::optional<std::string> optional_text_member(const tv::Json& body, const char* key);
// Absent gives an empty list; every element must be a string.
std::vector<std::string> text_list_member(const tv::Json& body, const char* key);
bool flag_member(const tv::Json& body, const char* key);

}  // namespace devapp
