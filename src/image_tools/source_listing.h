#pragma once

#include <string>

namespace tv {

// Every image source with its id and state, from the app when run inside a
// tarvolt pane, else the client's own list. No final newline.
std::string list_image_sources();

}  // namespace tv
