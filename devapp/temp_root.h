// Where the stand-in makes its private folders: $TMPDIR, or /tmp.
#pragma once

#include <cstdlib>
#include <string>

namespace devapp {

inline std::string temp_root() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
}

}  // namespace devapp
