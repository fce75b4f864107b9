// PNG files through libpng.
#pragma once

#include "picture.h"

#include <string>

namespace devapp {

// Writes the picture beside the path and renames it into place, so nobody
// ever sees half a file; with a `folder`, only inside it (see PartFile).
// Returns an empty text, or what went wrong.
std::string write_png(const std::string& path, const Picture& picture, const std::string& folder = "");

}  // namespace devapp
