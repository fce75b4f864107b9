// The stand-in's image and video sources, and the switches that make one fail or stall.
#pragma once

#include "name_list.h"

#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace devapp {

// A source made to fail or never finish shows the client's fallbacks and
// final messages.
enum class Behaviour { works, fails, stalls };

struct MediaSwitches {
    std::set<std::string> failing;   // source ids
    std::set<std::string> stalling;  // source ids
    bool no_video_apis = false;
    int job_polls = 2;         // polls a simulated API job takes
    int video_poll_ms = 1000;  // the video APIs' cadence, sent as pollIntervalMs

    Behaviour behaviour_of(std::string_view id) const;
};

struct ImageTool {
    std::string_view id;  // one of the ids the client knows
    std::string_view name;
    NameList models;  // the first is the default
    bool installed;
    bool authenticated;
    std::string_view detail;
};

struct MediaApi {
    std::string_view id;
    std::string_view name;
    NameList models;  // the first is the default
};

std::span<const ImageTool> image_tools();
std::span<const MediaApi> image_apis();
std::span<const MediaApi> video_apis();
const ImageTool* find_image_tool(std::string_view id);
const MediaApi* find_api(std::span<const MediaApi> apis, std::string_view id);
bool is_ready(const ImageTool& tool);

// Time limits handed out in plans. A stalled source gets a short one, so the
// road to the client's final message takes seconds, not minutes.
inline constexpr long tool_timeout_ms = 120000;
inline constexpr long stalled_tool_timeout_ms = 2000;
inline constexpr long api_timeout_ms = 300000;
inline constexpr long stalled_api_timeout_ms = 0;

std::vector<std::string> all_source_ids();

}  // namespace devapp
