#include "media_sources.h"

namespace devapp {

Behaviour MediaSwitches::behaviour_of(std::string_view id) const {
    const std::string key(id);
    if (failing.count(key) != 0) return Behaviour::fails;
    if (stalling.count(key) != 0) return Behaviour::stalls;
    return Behaviour::works;
}

const std::vector<ImageTool>& image_tools() {
    static const std::vector<ImageTool> tools = {
        {"grok-imagine", "Grok Imagine", {"grok-2-image"}, true, true, "logged in (the stand-in draws with tarvolt-devapp draw)"},
        {"codex-image", "Codex Image", {"gpt-image-1"}, true, true, "logged in (the stand-in draws with tarvolt-devapp draw)"},
        {"antigravity-gemini", "Antigravity Gemini Image", {"gemini-2.5-flash-image"}, false, false, "not installed on this machine"},
    };
    return tools;
}

const std::vector<MediaApi>& image_apis() {
    static const std::vector<MediaApi> apis = {
        {"sim-image", "Simulated Image API", {"devapp/painter-1", "devapp/painter-2"}},
    };
    return apis;
}

const std::vector<MediaApi>& video_apis() {
    static const std::vector<MediaApi> apis = {
        {"sim-video", "Simulated Video API", {"devapp/reel-1"}},
        {"sim-video-hd", "Simulated Video API HD", {"devapp/reel-hd"}},
    };
    return apis;
}

const ImageTool* find_image_tool(std::string_view id) {
    for (const auto& t : image_tools()) {
        if (t.id == id) return &t;
    }
    return nullptr;
}

const MediaApi* find_api(const std::vector<MediaApi>& apis, std::string_view id) {
    for (const auto& a : apis) {
        if (a.id == id) return &a;
    }
    return nullptr;
}

bool is_ready(const ImageTool& tool) { return tool.installed && tool.authenticated; }

std::vector<std::string> all_source_ids() {
    std::vector<std::string> ids;
    for (const auto& t : image_tools()) ids.emplace_back(t.id);
    for (const auto& a : image_apis()) ids.emplace_back(a.id);
    for (const auto& a : video_apis()) ids.emplace_back(a.id);
    return ids;
}

}  // namespace devapp
