// The image and video sources of the stand-in machine, and the switches that
// make one of them fail or never finish, so that the client's fallbacks and
// final messages can be watched.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace devapp {

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
    std::vector<std::string_view> models;  // the first is the default
    bool installed;
    bool authenticated;
    std::string_view detail;
};

struct MediaApi {
    std::string_view id;
    std::string_view name;
    std::vector<std::string_view> models;
};

const std::vector<ImageTool>& image_tools();
const std::vector<MediaApi>& image_apis();
const std::vector<MediaApi>& video_apis();
const ImageTool* find_image_tool(std::string_view id);
const MediaApi* find_api(const std::vector<MediaApi>& apis, std::string_view id);
bool is_ready(const ImageTool& tool);

// Time limits handed out in plans. A stalled source gets a short one, so the
// road to the client's final message takes seconds, not minutes.
inline constexpr long tool_timeout_ms = 120000;
inline constexpr long stalled_tool_timeout_ms = 2000;
inline constexpr long api_timeout_ms = 300000;
inline constexpr long stalled_api_timeout_ms = 0;

std::vector<std::string> all_source_ids();

}  // namespace devapp
