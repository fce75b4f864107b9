#include "draw_tool.h"

#include "media/png_writer.h"
#include "options.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace devapp {

int run_draw_tool(const std::vector<std::string>& args) {
    std::string error;
    const DrawOptions o = parse_draw_options(args, error);
    if (!error.empty()) {
        std::fprintf(stderr, "tarvolt-devapp draw: %s\n", error.c_str());
        return 2;
    }
    if (o.fail) {
        std::fprintf(stderr, "%s\n", o.fail->c_str());
        return 3;
    }
    std::printf("%s: drawing \"%s\" with %s\n", o.tool.c_str(), o.prompt.c_str(),
                o.model.empty() ? "its default model" : o.model.c_str());
    std::fflush(stdout);
    if (o.stall) {
        // Stuck like a tool waiting on a server that never answers; the
        // client's time limit is what ends it.
        std::this_thread::sleep_for(std::chrono::minutes(10));
        std::fprintf(stderr, "%s: gave up waiting for the server\n", o.tool.c_str());
        return 4;
    }
    const std::string failure = write_png(o.out, paint_scene(o.prompt, o.tool + "/" + o.model, o.width, o.height));
    if (!failure.empty()) {
        std::fprintf(stderr, "%s: %s\n", o.tool.c_str(), failure.c_str());
        return 1;
    }
    std::printf("%s: wrote %dx%d pixels to %s\n", o.tool.c_str(), o.width, o.height, o.out.c_str());
    return 0;
}

}  // namespace devapp
