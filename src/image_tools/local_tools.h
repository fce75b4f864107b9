// The local image tools that the client knows by id.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace tv {

struct LocalTool {
    std::string_view id;
    std::string_view display_name;
    std::string_view ordinal;  // when the app tries it if no --tool is given
};

inline constexpr std::array<LocalTool, 3> local_tools = {{
    {"grok-imagine", "Grok Imagine", "1st"},
    {"codex-image", "Codex Image", "2nd"},
    {"antigravity-gemini", "Antigravity Gemini Image", "3rd"},
}};

bool is_local_tool_id(std::string_view id);

// The client's own list of the tools, for when the app cannot be asked.
std::string local_tool_list();

// The paragraph that closes every listing of image sources.
inline constexpr std::string_view source_choice_paragraph =
    "--tool <id> runs that local tool and nothing else; --api <id> calls that registered API "
    "directly, without trying any local tool first. Either way nothing follows what you named. "
    "Leave both out and the app walks the list above from the top until one delivers.";

}  // namespace tv
