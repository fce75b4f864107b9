// PNG files through libpng.
#pragma once

#include "picture.h"

#include <string>

namespace devapp {

// Writes the picture beside the path and renames it into place, so nobody
// ever sees half a file. Returns an empty text, or what went wrong.
std::string write_png(const std::string& path, const Picture& picture);

}  // namespace devapp
