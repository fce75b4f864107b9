// The local image tools that the client knows by id.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tv {

struct LocalTool {
    std::string_view id;
    std::string_view display_name;
    std::string_view ordinal;  // when the app tries it if no --tool is given
};

extern const std::vector<LocalTool> local_tools;

bool is_local_tool_id(std::string_view id);

// The client's own list of the tools, for when the app cannot be asked.
std::string local_tool_list();

// The paragraph that closes every listing of image sources.
extern const std::string_view source_choice_paragraph;

}  // namespace tv
