#include "image/app_job.h"

#include "http_client/reply.h"

#include <optional>

namespace tv {
namespace {

// The accepted reply, or the reason the request came to nothing.
struct Exchange {
    std::optional<JsonTree> reply;
    std::string reason;
};

Exchange exchange(const JobPorts& ports, const Json& body, std::string_view unserializable) {
    const std::optional<std::string> text = body_text(body);
    if (!text) return {std::nullopt, std::string(unserializable)};
    ControlReply answer = ports.send(*text);
    if (!answer.body) return {std::nullopt, std::move(answer.error)};
    if (!reply_succeeded(*answer.body)) return {std::nullopt, reply_error_text(*answer.body)};
    return {std::move(answer.body), {}};
}

}  // namespace

JobPorts live_job_ports(const CallerEnv& env) {
    return {
        [&env](std::string_view body) { return send_control_request(env, body); },
        [] { return std::chrono::steady_clock::now(); },
        [](PlanDuration d) { sleep_for(d); },
    };
}

AttemptOutcome run_app_job(const AppJob& job, std::string_view from, const JobPorts& ports) {
    Json start = Json::object();
    start["command"] = job.command;
    start["from"] = from;
    start["phase"] = "api-start";
    start["api"] = job.api_id;
    start["prompt"] = job.prompt;
    start["path"] = job.output_path;
    Exchange started = exchange(ports, start, "could not serialize the API request");
    if (!started.reply) return AttemptOutcome::failure(std::move(started.reason));
    const std::optional<std::string_view> job_id = required_text(&started.reply->root(), "jobId");
    if (!job_id) return AttemptOutcome::failure("the tarvolt started no job for this API");

    const auto deadline = deadline_after(ports.now(), job.timeout, job.grace);
    Json poll = Json::object();
    poll["command"] = job.command;
    poll["from"] = from;
    poll["phase"] = "api-poll";
    poll["jobId"] = *job_id;
    for (;;) {
        ports.sleep(job.poll_interval);
        Exchange polled = exchange(ports, poll, "could not serialize the API poll");
        if (!polled.reply) return AttemptOutcome::failure(std::move(polled.reason));
        const Value status = read_property(polled.reply->root(), "status");
        if (is_string(status, "failed")) {
            const Value detail = read_property(polled.reply->root(), "detail");
            return AttemptOutcome::failure("refused the request; " + (detail != nullptr && detail->is_string()
                                                                          ? std::string(detail->text())
                                                                          : "the API gave no reason"));
        }
        if (is_string(status, "succeeded")) {
            if (has_delivered_file(job.output_path)) return AttemptOutcome::success();
            return AttemptOutcome::failure("reported success but wrote no file at " + job.output_path);
        }
        if (ports.now() >= deadline) {
            return AttemptOutcome::failure("was still running after " + std::to_string(minutes_of(job.timeout)) +
                                           " minute(s), so this caller stopped waiting");
        }
    }
}

}  // namespace tv
