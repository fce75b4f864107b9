// A media file is written beside its place, then moved in whole.
#pragma once

#include <string>

namespace devapp {

// "{path}.part-{pid}", the name a file is written under first, so that a
// client polling for it never sees half a file.
std::string part_path(const std::string& path);

// Moves `part` to `path`; empty text, or what went wrong (the part is removed).
std::string move_into_place(const std::string& part, const std::string& path);

}  // namespace devapp
