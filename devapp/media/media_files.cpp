#include "media/media_files.h"

#include "media/png_writer.h"
#include "media/y4m_writer.h"
#include "picture.h"

namespace devapp {

std::string save_api_picture(std::string_view prompt, std::string_view api_id, const std::string& path,
                             const std::string& folder) {
    return write_png(path, paint_scene(prompt, api_id, picture_width, picture_height), folder);
}

std::string save_api_video(std::string_view prompt, std::string_view api_id, const std::string& path,
                           const std::string& folder) {
    // Two seconds at 12 frames a second; the HD API gives a larger frame.
    const VideoShape shape = api_id == "sim-video-hd" ? VideoShape{320, 180, 24, 12} : VideoShape{192, 108, 24, 12};
    return write_y4m(
        path, shape,
        [&](int i) {
            return paint_scene(prompt, api_id, shape.width, shape.height, static_cast<double>(i) / shape.frames);
        },
        folder);
}

}  // namespace devapp
