// The video command: each registered API of the plan in turn, as a job the app runs.
#pragma once

#include "http_client/control_client.h"
#include "image/app_job.h"
#include "image/attempt_outcome.h"
#include "values/json.h"
#include "video/video_plan.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tv {

// What the video command takes from its command line.
struct VideoRequest {
    Json plan_body;  // the "plan" request, built by the front end
    std::string prompt;
};

// Runs the whole video command: prints the path and returns, or fails.
void run_video_command(const VideoRequest& request, const CallerEnv& env);

// One API of the chain, as a job the app runs: polled on the API's own
// interval and given up 60 s after its timeout.
AttemptOutcome run_video_attempt(const VideoAttempt& attempt, const std::string& prompt, const std::string& output_path,
                                 std::string_view from, const JobPorts& ports);

// The message that ends a run in which no API delivered.
std::string video_exhausted_text(const std::vector<std::string>& answers, std::uint64_t registered_api_count);

}  // namespace tv
