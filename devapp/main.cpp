// tarvolt-devapp: a stand-in for the tarvolt app (see options.cpp for the
// command line), and the drawing tool its image plans run.
#include "draw_tool.h"
#include "options.h"
#include "server.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    try {
        if (!args.empty() && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
            std::printf("%s\n", devapp::usage_text);
            return 0;
        }
        if (!args.empty() && args[0] == "draw") return devapp::run_draw_tool({args.begin() + 1, args.end()});
        std::string error;
        const devapp::ServeOptions options = devapp::parse_serve_options(args, error);
        if (!error.empty()) {
            std::fprintf(stderr, "tarvolt-devapp: %s\n", error.c_str());
            return 2;
        }
        return devapp::serve(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tarvolt-devapp: %s\n", e.what());
        return 1;
    }
}
