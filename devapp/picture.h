// The picture the stand-in's tools and APIs deliver: a landscape that follows the prompt.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace devapp {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // rows top to bottom, three bytes a pixel
};

// Sky, sun, hills and kite follow the prompt: the same prompt always gives
// the same picture; colour words ("a red kite", "green hills") and a few
// scene words (night, sunset, sea) are honoured.
// `style` varies the picture between sources for the same prompt; `phase`
// (0 to 1) moves the sun and the kite, for the frames of a video.
Picture paint_scene(std::string_view prompt, std::string_view style, int width, int height, double phase = 0.0);

}  // namespace devapp
