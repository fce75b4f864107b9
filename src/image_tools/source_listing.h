// `image --list-tools`: every source that can draw, as the app or, outside
// a pane, the client itself knows them.
#pragma once

#include "http_client/control_client.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tv {

struct ImageSource {
    std::string id;
    std::string name;
    std::string state;
    std::uint8_t position = 0;
};

// Every image source with its id and state, from the app when run inside a
// tarvolt pane (`pane` set), else the client's own list. No final newline.
std::string list_image_sources(const std::optional<CallerEnv>& pane);

// One aligned line per source: widths are the longest byte lengths, padding
// is counted in characters.
std::string source_lines(const std::vector<ImageSource>& sources);

}  // namespace tv
