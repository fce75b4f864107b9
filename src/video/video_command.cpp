#include "video/video_command.h"

#include "base/fail.h"
#include "base/output.h"
#include "http_client/reply.h"
#include "image/answer_list.h"
#include "image/attempt_reports.h"

namespace tv {
namespace {

constexpr std::string_view api_notice =
    "every attempt below is an API call made by the app itself. A model id reads author/slug, so the part before "
    "the slash is who made the MODEL, never a second service.";

VideoPlan request_plan(const Json& plan_body, const CallerEnv& env) {
    const auto text = body_text(plan_body);
    if (!text) fail("could not serialize the video request");
    return read_video_plan(request_or_fail(env, *text));
}

std::string progress_line(std::size_t i, std::size_t n, const VideoAttempt& a, const std::string& output_path) {
    return "[" + std::to_string(i) + "/" + std::to_string(n) + "] generating with registered API " + a.api_name +
           ", model " + a.model + ", up to " + std::to_string(minutes_of(a.timeout)) + " min, checking every " +
           std::to_string(a.poll_interval.seconds) + "s; writing " + output_path;
}

}  // namespace

AttemptOutcome run_video_attempt(const VideoAttempt& attempt, const std::string& prompt, const std::string& output_path,
                                 std::string_view from, const JobPorts& ports) {
    const AppJob job{
        "video", attempt.api_id, prompt, output_path, attempt.timeout, attempt.poll_interval, std::chrono::seconds(60)};
    return run_app_job(job, from, ports);
}

std::string video_exhausted_text(const std::vector<std::string>& answers, std::uint64_t registered_api_count) {
    return "no registered video API delivered a file for this prompt. What each one answered:\n" +
           numbered_answers(answers) + "\n" +
           (answers.size() < registered_api_count
                ? "The other registered video APIs were left out of this chain because one was named explicitly."
                : "Those are every video API registered and active in the app settings.") +
           "\nVideo has no local tool, so there is nothing else to fall back to: do not generate an image instead, "
           "and do not ask a coding CLI for frames. Read the reasons above, then either fix the API on the app "
           "settings page or report this as it is.";
}

void run_video_command(const VideoRequest& request, const CallerEnv& env) {
    const VideoPlan plan = request_plan(request.plan_body, env);
    const std::string& prompt = request.prompt;
    const std::size_t n = plan.attempts.size();
    const JobPorts ports = live_job_ports(env);

    warn(api_notice);
    std::vector<std::string> answers;
    for (std::size_t i = 0; i < n; ++i) {
        const VideoAttempt& attempt = plan.attempts[i];
        warn(progress_line(i + 1, n, attempt, plan.output_path));
        remove_earlier_file(plan.output_path);
        const AttemptOutcome outcome = run_video_attempt(attempt, prompt, plan.output_path, env.terminal_name, ports);
        if (outcome.delivered) {
            report_delivered_file(env, "video", plan.output_path, "the video was generated but not recorded");
            write_stdout(plan.output_path + "\n");
            return;
        }
        report_failed_attempt(env, "video", "api", attempt.api_id, outcome.reason,
                              "could not report the failed video attempt");
        warn(attempt.api_name + " " + outcome.reason);
        if (i + 1 < n) warn("falling back to registered API " + plan.attempts[i + 1].api_name);
        answers.push_back("registered API " + attempt.api_name + ", model " + attempt.model + ": " +
                          shorten_answer(outcome.reason));
    }
    fail(video_exhausted_text(answers, plan.registered_api_count));
}

}  // namespace tv
