#include "image_tools/local_tools.h"

#include "base/utf8.h"

#include <algorithm>

namespace tv {

bool is_local_tool_id(std::string_view id) {
    return std::any_of(local_tools.begin(), local_tools.end(), [&](const LocalTool& t) { return t.id == id; });
}

std::string local_tool_list() {
    std::size_t id_width = 0, name_width = 0;
    for (const auto& t : local_tools) {
        id_width = std::max(id_width, t.id.size());
        name_width = std::max(name_width, t.display_name.size());
    }
    std::string out = "image tools you can name with --tool:";
    for (const auto& t : local_tools) {
        out += "\n  " + pad_right(t.id, id_width) + "  " + pad_right(t.display_name, name_width) + "  tried " +
               std::string(t.ordinal) + " when you pass no --tool";
    }
    out +=
        "\n\nThis list came from this client, not from the app: run it inside a tarvolt "
        "terminal to also see the registered image APIs, their ids and whether one is "
        "configured.\n";
    out += source_choice_paragraph;
    return out;
}

}  // namespace tv
