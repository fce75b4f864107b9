// YUV4MPEG2 video files: a text header, then each frame as raw 4:2:0 planes.
#pragma once

#include "picture.h"

#include <functional>
#include <string>

namespace devapp {

// Every common player reads them, and they need no codec library.
struct VideoShape {
    int width;   // even, as 4:2:0 needs
    int height;  // even
    int frames;
    int fps;
};

// Asks `frame(i)` for each picture in turn and writes them beside the path,
// then renames the file into place; with a `folder`, only inside it (see
// PartFile). Returns an empty text, or what went wrong.
std::string write_y4m(const std::string& path, const VideoShape& shape, const std::function<Picture(int)>& frame,
                      const std::string& folder = "");

}  // namespace devapp
