#include "media/y4m_writer.h"

#include "media/file_swap.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace devapp {
namespace {

std::uint8_t clamp_byte(double v) {
    return static_cast<std::uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, v))));
}

// Full-range BT.601, which the header's C420jpeg names.
std::vector<std::uint8_t> planes_of(const Picture& p) {
    const int w = p.width, h = p.height;
    std::vector<std::uint8_t> out(static_cast<std::size_t>(w * h + 2 * (w / 2) * (h / 2)));
    std::uint8_t* y_plane = out.data();
    std::uint8_t* u_plane = y_plane + w * h;
    std::uint8_t* v_plane = u_plane + (w / 2) * (h / 2);
    const auto at = [&](int x, int y, int c) {
        return static_cast<double>(p.rgb[static_cast<std::size_t>((y * w + x) * 3 + c)]);
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            y_plane[y * w + x] = clamp_byte(0.299 * at(x, y, 0) + 0.587 * at(x, y, 1) + 0.114 * at(x, y, 2));
        }
    }
    for (int y = 0; y < h / 2; ++y) {
        for (int x = 0; x < w / 2; ++x) {
            double r = 0, g = 0, b = 0;
            for (int dy = 0; dy < 2; ++dy) {
                for (int dx = 0; dx < 2; ++dx) {
                    r += at(2 * x + dx, 2 * y + dy, 0) / 4;
                    g += at(2 * x + dx, 2 * y + dy, 1) / 4;
                    b += at(2 * x + dx, 2 * y + dy, 2) / 4;
                }
            }
            u_plane[y * (w / 2) + x] = clamp_byte(128 - 0.168736 * r - 0.331264 * g + 0.5 * b);
            v_plane[y * (w / 2) + x] = clamp_byte(128 + 0.5 * r - 0.418688 * g - 0.081312 * b);
        }
    }
    return out;
}

}  // namespace

std::string write_y4m(const std::string& path, const VideoShape& shape, const std::function<Picture(int)>& frame,
                      const std::string& folder) {
    PartFile part(path, folder);
    std::FILE* f = part.stream();
    if (f == nullptr) return part.error();
    bool ok = std::fprintf(f, "YUV4MPEG2 W%d H%d F%d:1 Ip A1:1 C420jpeg\n", shape.width, shape.height, shape.fps) > 0;
    for (int i = 0; ok && i < shape.frames; ++i) {
        const std::vector<std::uint8_t> planes = planes_of(frame(i));
        ok = std::fputs("FRAME\n", f) >= 0 && std::fwrite(planes.data(), 1, planes.size(), f) == planes.size();
    }
    if (!ok) return part.abandon(std::strerror(errno != 0 ? errno : EIO));
    return part.move_into_place();
}

}  // namespace devapp
