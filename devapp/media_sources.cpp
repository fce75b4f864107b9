#include "media_sources.h"

#include <array>

namespace devapp {
namespace {

constexpr auto tools = std::to_array<ImageTool>({
    {"grok-imagine",
     "Grok Imagine",
     {"grok-2-image"},
     true,
     true,
     "logged in (the stand-in draws with tarvolt-devapp draw)"},
    {"codex-image",
     "Codex Image",
     {"gpt-image-1"},
     true,
     true,
     "logged in (the stand-in draws with tarvolt-devapp draw)"},
    {"antigravity-gemini",
     "Antigravity Gemini Image",
     {"gemini-2.5-flash-image"},
     false,
     false,
     "not installed on this machine"},
});

constexpr auto image_api_table = std::to_array<MediaApi>({
    {"sim-image", "Simulated Image API", {"devapp/painter-1", "devapp/painter-2"}},
});

constexpr auto video_api_table = std::to_array<MediaApi>({
    {"sim-video", "Simulated Video API", {"devapp/reel-1"}},
    {"sim-video-hd", "Simulated Video API HD", {"devapp/reel-hd"}},
});

}  // namespace

Behaviour MediaSwitches::behaviour_of(std::string_view id) const {
    const std::string key(id);
    if (failing.count(key) != 0) return Behaviour::fails;
    if (stalling.count(key) != 0) return Behaviour::stalls;
    return Behaviour::works;
}

std::span<const ImageTool> image_tools() { return tools; }
std::span<const MediaApi> image_apis() { return image_api_table; }
std::span<const MediaApi> video_apis() { return video_api_table; }

const ImageTool* find_image_tool(std::string_view id) {
    for (const auto& t : image_tools()) {
        if (t.id == id) return &t;
    }
    return nullptr;
}

const MediaApi* find_api(std::span<const MediaApi> apis, std::string_view id) {
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
