// `tarvolt-devapp draw`, the local image tool that the stand-in's plans run through `sh -c`.
#pragma once

#include <string>
#include <vector>

namespace devapp {

// Behaves like a real tool for the client: the picture in the file, chatter
// on stdout, trouble on stderr and in the exit status.
int run_draw_tool(const std::vector<std::string>& args);

}  // namespace devapp
