// Media files are written beside their place and moved in whole, so that a
// client polling for them never sees half a file.
#pragma once

#include <string>

namespace devapp {

// "{path}.part-{pid}", the name a file is written under first.
std::string part_path(const std::string& path);

// Moves `part` to `path`; empty text, or what went wrong (the part is removed).
std::string move_into_place(const std::string& part, const std::string& path);

}  // namespace devapp
