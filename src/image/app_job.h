// One job that the app runs at a registered API on the client's behalf:
// started with "api-start", then polled with "api-poll" until it succeeds,
// fails or outlives its time limit plus a grace period.
#pragma once

#include "http_client/control_client.h"
#include "image/attempt_outcome.h"
#include "image/plan_values.h"

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace tv {

struct AppJob {
    std::string command;  // "image" or "video"
    std::string api_id;
    std::string prompt;
    std::string output_path;
    PlanDuration timeout;
    PlanDuration poll_interval;
    std::chrono::nanoseconds grace;
};

// How a job reaches the app and the clock; tests replace both.
struct JobPorts {
    std::function<ControlReply(std::string_view body)> send;
    std::function<std::chrono::steady_clock::time_point()> now;
    std::function<void(PlanDuration)> sleep;
};

JobPorts live_job_ports(const CallerEnv& env);

// `from` is the caller's terminal name.
AttemptOutcome run_app_job(const AppJob& job, std::string_view from, const JobPorts& ports);

}  // namespace tv
