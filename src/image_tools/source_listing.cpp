#include "image_tools/source_listing.h"

#include "base/fail.h"
#include "base/utf8.h"
#include "http_client/reply.h"
#include "image_tools/local_tools.h"
#include "values/join.h"
#include "values/value_text.h"

#include <algorithm>

namespace tv {
namespace {

std::string text_or_empty(Value v) { return v != nullptr && v->is_string() ? std::string(v->text()) : std::string(); }

std::uint8_t shown_position(Value v) {
    if (v == nullptr || !v->is_number_unsigned()) return 0;
    return static_cast<std::uint8_t>(std::min<std::uint64_t>(v->unsigned_value(), 255));
}

ImageSource tool_source(const JsonNode& entry, std::uint8_t position) {
    const bool ready = is_true(read_property(entry, "installed")) && is_true(read_property(entry, "authenticated"));
    return {text_or_empty(read_property(entry, "id")), text_or_empty(read_property(entry, "name")),
            std::string(ready ? "ready" : "NOT READY") + " \u2014 " + text_or_empty(read_property(entry, "detail")),
            position};
}

ImageSource api_source(const JsonNode& entry, std::uint8_t position) {
    const std::string model = text_or_empty(read_property(entry, "model"));
    return {text_or_empty(read_property(entry, "id")), text_or_empty(read_property(entry, "name")),
            model.empty() ? "active \u2014 the API's own default model" : "active \u2014 model " + model, position};
}

std::string tools_section(const std::vector<ImageSource>& tools) {
    if (tools.empty()) return "  local image tools: none is registered in this build.";
    return "  local image tools \u2014 run in YOUR terminal; name one with --tool <id>\n" + source_lines(tools);
}

std::string apis_section(const std::vector<ImageSource>& apis) {
    if (apis.empty()) {
        return "  registered image APIs: none is registered and active.\n"
               "    The app embeds OpenRouter: a person pastes the OpenRouter key on the app's\n"
               "    settings media page and marks the image models to use there, and each\n"
               "    marked model becomes one API callable with --api <id>. That is a person's\n"
               "    job on the screen \u2014 an agent cannot configure it from a terminal.";
    }
    return "  registered image APIs \u2014 called by the APP, so no token ever reaches you;\n"
           "  name one with --api <id>\n" +
           source_lines(apis) +
           "\n    An API model id reads author/slug: in \"openai/sora-2-pro\" the part before the slash is who "
           "made the MODEL, never a second service. The service is the API named beside it.";
}

}  // namespace

std::string source_lines(const std::vector<ImageSource>& sources) {
    std::size_t id_width = 0, name_width = 0;
    for (const auto& s : sources) {
        id_width = std::max(id_width, s.id.size());
        name_width = std::max(name_width, s.name.size());
    }
    std::string out;
    Joiner lines(out, "\n");
    for (const auto& s : sources) {
        lines.add("    " + std::to_string(s.position) + "  " + pad_right(s.id, id_width) + "  " +
                  pad_right(s.name, name_width) + "  " + s.state);
    }
    return out;
}

std::string list_image_sources(const std::optional<CallerEnv>& pane) {
    if (!pane) return local_tool_list();
    const CallerEnv& env = *pane;

    Json body = Json::object();
    body["command"] = "image";
    body["from"] = env.terminal_name;
    body["phase"] = "sources";
    const JsonTree reply = request_or_fail(env, to_compact_text(body));

    const Value sources = read_property(reply, "sources");
    if (sources == nullptr || !sources->is_array()) fail("the tarvolt answered no image sources");
    std::vector<ImageSource> tools, apis;
    for (const JsonNode& entry : *sources) {
        const std::uint8_t position = shown_position(read_property(entry, "attemptPosition"));
        const Value kind = read_property(entry, "kind");
        if (is_string(kind, "tool")) {
            tools.push_back(tool_source(entry, position));
        } else if (is_string(kind, "api")) {
            apis.push_back(api_source(entry, position));
        } else {
            fail("the tarvolt listed an image source of a kind this client does not know");
        }
    }
    return "everything that can generate an image here, in the order the app tries it:\n\n" + tools_section(tools) +
           "\n\n" + apis_section(apis) + "\n\n" + std::string(source_choice_paragraph);
}

}  // namespace tv
