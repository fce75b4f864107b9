#include "media/png_writer.h"

#include "media/file_swap.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace devapp {

std::string write_png(const std::string& path, const Picture& picture) {
    const std::string part = part_path(path);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_RGB;
    if (png_image_write_to_file(&image, part.c_str(), 0, picture.rgb.data(), 0, nullptr) == 0) {
        const std::string why = image.message;
        png_image_free(&image);
        std::remove(part.c_str());
        return "could not write " + path + ": " + why;
    }
    return move_into_place(part, path);
}

}  // namespace devapp
