#include "media/png_writer.h"

#include "media/file_swap.h"

#include <png.h>

namespace devapp {

std::string write_png(const std::string& path, const Picture& picture, const std::string& folder) {
    PartFile part(path, folder);
    if (!part.error().empty()) return part.error();
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_RGB;
    if (png_image_write_to_stdio(&image, part.stream(), 0, picture.rgb.data(), 0, nullptr) == 0) {
        const std::string why = image.message;
        png_image_free(&image);
        return part.abandon(why);
    }
    return part.move_into_place();
}

}  // namespace devapp
