// image: the sources listing, the plan with its chain of local tools and the
// simulated image API, and the steps the client takes after the plan.
#include "commands.h"
#include "media_jobs.h"
#include "output_paths.h"
#include "refusal.h"
#include "request_members.h"
#include "shell_quote.h"
#include "values/join.h"

namespace devapp {
namespace {

tv::Json sources(const Workstation&) {
    tv::Json list = tv::Json::array();
    int position = 0;
    for (const auto& t : image_tools()) {
        list.push_back({{"kind", "tool"},
                        {"attemptPosition", is_ready(t) ? ++position : 0},
                        {"id", std::string(t.id)},
                        {"name", std::string(t.name)},
                        {"installed", t.installed},
                        {"authenticated", t.authenticated},
                        {"detail", std::string(t.detail)}});
    }
    for (const auto& a : image_apis()) {
        list.push_back({{"kind", "api"},
                        {"attemptPosition", ++position},
                        {"id", std::string(a.id)},
                        {"name", std::string(a.name)},
                        {"model", std::string(a.models.front())}});
    }
    return {{"sources", list}};
}

std::string joined_models(const NameList& models) { return tv::join(models, ", "); }

// The model a named source draws with: its default, or the one asked for
// when it offers it.
std::string model_for(std::string_view source, const NameList& models, const std::optional<std::string>& wanted) {
    if (!wanted) return std::string(models.front());
    if (!models.contains(*wanted)) {
        refuse(std::string(source) + " draws with " + joined_models(models) + " only, not \"" + *wanted + "\"");
    }
    return *wanted;
}

tv::Json tool_attempt(const Workstation& ws, const ImageTool& t, const std::string& model, const std::string& prompt,
                      const std::string& path) {
    const Behaviour b = ws.settings.media.behaviour_of(t.id);
    std::string line = shell_quote(ws.settings.executable) + " draw --tool " + std::string(t.id) + " --model " +
                       shell_quote(model) + " --prompt " + shell_quote(prompt) + " --out " + shell_quote(path);
    if (b == Behaviour::fails) {
        line +=
            " --fail " + shell_quote(std::string(t.name) +
                                     " is out of quota until tomorrow (the stand-in was told to fail it, with --fail " +
                                     std::string(t.id) + ")");
    }
    if (b == Behaviour::stalls) line += " --stall";
    return {{"kind", "command"},
            {"timeoutMs", b == Behaviour::stalls ? stalled_tool_timeout_ms : tool_timeout_ms},
            {"imageCliId", std::string(t.id)},
            {"toolName", std::string(t.name)},
            {"model", model},
            {"commandLine", line}};
}

tv::Json api_attempt(const Workstation& ws, const MediaApi& a, const std::string& model) {
    const bool stalls = ws.settings.media.behaviour_of(a.id) == Behaviour::stalls;
    return {{"kind", "api"},
            {"timeoutMs", stalls ? stalled_api_timeout_ms : api_timeout_ms},
            {"apiId", std::string(a.id)},
            {"apiName", std::string(a.name)},
            {"model", model}};
}

tv::Json plan(Workstation& ws, Terminal& caller, const tv::Json& body) {
    const std::string& prompt = prompt_member(body);
    const auto out = optional_text_member(body, "out");
    const auto tool_id = optional_text_member(body, "tool");
    const auto model = optional_text_member(body, "model");
    const auto api_id = optional_text_member(body, "api");
    if (tool_id && api_id) refuse("name one source, --tool or --api, not both");

    // Check every name before a folder or a path is made.
    const ImageTool* tool = nullptr;
    const MediaApi* api = nullptr;
    if (tool_id) {
        tool = find_image_tool(*tool_id);
        if (tool == nullptr)
            refuse("no local image tool has the id \"" + *tool_id +
                   "\"; \"tarvolt-ctl image --list-tools\" lists them");
        if (!is_ready(*tool)) {
            refuse("the image tool " + *tool_id + " cannot draw here: " + std::string(tool->detail) +
                   "; install it and log in, or name another source (\"tarvolt-ctl image --list-tools\")");
        }
    }
    if (api_id) {
        api = find_api(image_apis(), *api_id);
        if (api == nullptr)
            refuse("no registered image API has the id \"" + *api_id +
                   "\"; \"tarvolt-ctl image --list-tools\" lists them");
    }
    const std::string tool_model = tool ? model_for(tool->id, tool->models, model) : "";
    const std::string api_model = api ? model_for(api->id, api->models, model) : "";

    struct Step {
        const ImageTool* tool;
        const MediaApi* api;
        std::string model;
    };
    std::vector<Step> steps;
    if (tool) {
        steps.push_back({tool, nullptr, tool_model});
    } else if (api) {
        steps.push_back({nullptr, api, api_model});
    } else {
        // The whole chain, narrowed to the sources that offer the model asked for.
        const auto offers = [&](const NameList& models) { return !model || models.contains(*model); };
        for (const auto& t : image_tools()) {
            if (is_ready(t) && offers(t.models))
                steps.push_back({&t, nullptr, model ? *model : std::string(t.models.front())});
        }
        for (const auto& a : image_apis()) {
            if (offers(a.models)) steps.push_back({nullptr, &a, model ? *model : std::string(a.models.front())});
        }
        if (steps.empty())
            refuse("no image source here draws with the model \"" + *model +
                   "\"; \"tarvolt-ctl image --list-tools\" shows the sources");
    }

    const std::string path = plan_output_path(ws, out, "generated-images", caller.name, ".png");
    tv::Json attempts = tv::Json::array();
    for (const auto& s : steps)
        attempts.push_back(s.tool ? tool_attempt(ws, *s.tool, s.model, prompt, path)
                                  : api_attempt(ws, *s.api, s.model));
    return {{"attempts", attempts}, {"outputPath", path}, {"registeredApiCount", image_apis().size()}};
}

}  // namespace

tv::Json image_command(Workstation& ws, Terminal& caller, const tv::Json& body) {
    const std::string& phase = text_member(body, "phase");
    if (phase == "sources") return sources(ws);
    if (phase == "plan") return plan(ws, caller, body);
    if (phase == "api-start") return start_api_job(ws, body, "image");
    if (phase == "api-poll") return poll_api_job(ws, body, "image");
    if (phase == "failure") return note_media_failure(body);
    if (phase == "record") return record_media_file(ws, caller, body, "image");
    refuse("unknown image phase \"" + phase + "\"; use one of: sources, plan, api-start, api-poll, failure, record");
}

}  // namespace devapp
