// `tarvolt-devapp draw`: the local image tool that the stand-in's plans run
// through `sh -c`. It behaves like a real tool for the client: the picture
// in the file, chatter on stdout, trouble on stderr and in the exit status.
#pragma once

#include <string>
#include <vector>

namespace devapp {

int run_draw_tool(const std::vector<std::string>& args);

}  // namespace devapp
