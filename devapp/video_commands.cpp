// video: the plan over the simulated video APIs, and the steps after it.
#include "commands.h"
#include "media_jobs.h"
#include "output_paths.h"
#include "refusal.h"
#include "request_members.h"

namespace devapp {
namespace {

tv::Json plan(Workstation& ws, Terminal& caller, const tv::Json& body) {
    prompt_member(body);
    const auto out = optional_text_member(body, "out");
    const auto api_id = optional_text_member(body, "api");
    if (ws.settings.media.no_video_apis) {
        refuse(
            "no video API is registered and active in this app: a person registers one on the settings page. Video has "
            "no local tool to fall back to");
    }
    const MediaSwitches& media = ws.settings.media;
    std::vector<const MediaApi*> chain;
    if (api_id) {
        const MediaApi* api = find_api(video_apis(), *api_id);
        if (api == nullptr) refuse("no registered video API has the id \"" + *api_id + "\"");
        chain.push_back(api);
    } else {
        for (const auto& a : video_apis()) chain.push_back(&a);
    }
    const std::string path = plan_output_path(ws, out, "generated-videos", caller.name, ".y4m");
    tv::Json attempts = tv::Json::array();
    for (const MediaApi* a : chain) {
        const bool stalls = media.behaviour_of(a->id) == Behaviour::stalls;
        attempts.push_back({{"kind", "api"},
                            {"apiId", std::string(a->id)},
                            {"apiName", std::string(a->name)},
                            {"model", std::string(a->models.front())},
                            {"timeoutMs", stalls ? stalled_api_timeout_ms : api_timeout_ms},
                            {"pollIntervalMs", media.video_poll_ms}});
    }
    return {{"attempts", attempts}, {"outputPath", path}, {"registeredApiCount", video_apis().size()}};
}

}  // namespace

tv::Json video_command(Workstation& ws, Terminal& caller, const tv::Json& body) {
    const std::string& phase = text_member(body, "phase");
    if (phase == "plan") return plan(ws, caller, body);
    if (phase == "api-start") return start_api_job(ws, body, "video");
    if (phase == "api-poll") return poll_api_job(ws, body, "video");
    if (phase == "failure") return note_media_failure(body);
    if (phase == "record") return record_media_file(ws, caller, body, "video");
    refuse("unknown video phase \"" + phase + "\"; use one of: plan, api-start, api-poll, failure, record");
}

}  // namespace devapp
