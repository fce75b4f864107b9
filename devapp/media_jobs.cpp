#include "media_jobs.h"

#include "media/media_files.h"
#include "output_paths.h"
#include "refusal.h"
#include "request_members.h"

#include <filesystem>
#include <system_error>

namespace devapp {
namespace {

std::span<const MediaApi> apis_for(std::string_view kind) { return kind == "image" ? image_apis() : video_apis(); }

MediaJob& find_job(Workstation& ws, const std::string& id, std::string_view kind) {
    for (auto& j : ws.jobs) {
        if (j.id == id && j.kind == kind) return j;
    }
    refuse("no " + std::string(kind) + " job \"" + id + "\" was started by this app");
}

// Counts a poll once the job's cadence allows it; a poll that comes early
// changes nothing. The tenth of slack absorbs timer jitter on the caller's side.
bool counts(MediaJob& job) {
    const auto now = std::chrono::steady_clock::now();
    if (now - job.last_counted < job.interval * 9 / 10) return false;
    job.last_counted = now;
    ++job.polls_counted;
    return true;
}

void finish(MediaJob& job, const std::string& folder) {
    const std::string error = job.kind == "image" ? save_api_picture(job.prompt, job.api_id, job.path, folder)
                                                  : save_api_video(job.prompt, job.api_id, job.path, folder);
    if (error.empty()) {
        job.status = "succeeded";
    } else {
        job.status = "failed";
        job.detail = "the provider's result could not be saved: " + error;
    }
}

}  // namespace

const std::string& prompt_member(const tv::Json& body) {
    const std::string& prompt = words_member(body, "prompt");
    if (prompt.find('\0') != std::string::npos) refuse("the prompt holds a NUL character");
    if (prompt.size() > 32768) refuse("the prompt is longer than 32768 bytes; say it in fewer words");
    return prompt;
}

tv::Json start_api_job(Workstation& ws, const tv::Json& body, std::string_view kind) {
    const std::string& api_id = text_member(body, "api");
    const std::string& prompt = prompt_member(body);
    const std::string& path = text_member(body, "path");
    const MediaApi* api = find_api(apis_for(kind), api_id);
    if (api == nullptr) refuse("no registered " + std::string(kind) + " API has the id \"" + api_id + "\"");
    // The app writes only where one of its own plans said; a path from the
    // request alone could point anywhere on the machine.
    if (ws.planned_outputs.count(path) == 0) {
        refuse("the app did not plan the path \"" + path + "\"; ask for a plan first and pass its outputPath");
    }
    MediaJob job;
    const std::size_t number = ws.jobs.size() + 1;
    job.id = (kind == "image" ? "img-" : "vid-") + std::to_string(number);
    job.kind = std::string(kind);
    job.api_id = api_id;
    job.prompt = prompt;
    job.path = path;
    job.behaviour = ws.settings.media.behaviour_of(api_id);
    job.polls_needed = ws.settings.media.job_polls;
    job.interval =
        kind == "video" ? std::chrono::milliseconds(ws.settings.media.video_poll_ms) : std::chrono::milliseconds(0);
    job.last_counted = std::chrono::steady_clock::now();
    ws.jobs.push_back(job);
    return {{"jobId", job.id}};
}

tv::Json poll_api_job(Workstation& ws, const tv::Json& body, std::string_view kind) {
    MediaJob& job = find_job(ws, text_member(body, "jobId"), kind);
    if (job.status == "running") {
        if (job.behaviour == Behaviour::fails) {
            job.status = "failed";
            job.detail = "the provider declined this prompt (the stand-in was told to, with --fail " + job.api_id + ")";
        } else if (job.behaviour == Behaviour::works && counts(job) && job.polls_counted >= job.polls_needed) {
            finish(job, ws.settings.folder);
        }
    }
    tv::Json reply = {{"status", job.status}};
    if (job.status == "failed") reply["detail"] = job.detail;
    if (job.status == "running") {
        reply["progress"] = job.behaviour == Behaviour::stalls
                                ? std::string("queued at the provider, not started yet")
                                : "rendering, " + std::to_string(job.polls_counted) + " of " +
                                      std::to_string(job.polls_needed) + " steps done";
    }
    return reply;
}

// The journal keeps the report; the reply only confirms it was well formed.
tv::Json note_media_failure(const tv::Json& body) {
    const auto tool = optional_text_member(body, "tool");
    const auto api = optional_text_member(body, "api");
    text_member(body, "detail");
    if (!tool && !api) refuse("a failure report names the source that failed, with \"tool\" or \"api\"");
    return tv::Json::object();
}

tv::Json record_media_file(Workstation& ws, Terminal& caller, const tv::Json& body, std::string_view kind) {
    const std::string& path = text_member(body, "path");
    if (ws.planned_outputs.count(path) == 0) refuse("the app did not plan the path \"" + path + "\"");
    // A tool could have left a link there in place of the file.
    if (!leads_inside(ws.settings.folder, path)) {
        refuse("the file at " + path + " leads outside the workstation folder " + ws.settings.folder +
               " through a symbolic link");
    }
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(path, ec);
    if (ec || !std::filesystem::is_regular_file(path, ec) || bytes == 0) refuse("no generated file at " + path);
    // A file made for a task counts as one of its deliveries.
    if (caller.task) ws.tasks[*caller.task].artifacts.push_back({path, bytes, std::string(kind)});
    return {{"path", path}, {"bytes", bytes}};
}

}  // namespace devapp
