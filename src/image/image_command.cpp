#include "image/image_command.h"

#include "base/fail.h"
#include "base/output.h"
#include "http_client/reply.h"
#include "image/answer_list.h"
#include "image/attempt_reports.h"
#include "image/exhausted_text.h"
#include "image/image_attempt.h"
#include "image/image_plan.h"

namespace tv {
namespace {

constexpr std::string_view api_notice =
    "the next attempt is an API call made by the app itself. Its model id reads author/slug, so the part before "
    "the slash is who made the MODEL, never a second service.";

ImagePlan request_plan(const Json& plan_body, const CallerEnv& env) {
    const auto text = body_text(plan_body);
    if (!text) fail("could not serialize the image request");
    return read_image_plan(request_or_fail(env, *text));
}

}  // namespace

void run_image_command(const ImageRequest& request, const CallerEnv& env) {
    const ImagePlan plan = request_plan(request.plan_body, env);
    const std::string& prompt = request.prompt;
    const std::size_t n = plan.attempts.size();
    const std::string count = "/" + std::to_string(n) + "] ";

    ExhaustedChain chain;
    chain.named_option = request.named_option;
    chain.registered_api_count = plan.registered_api_count;
    for (std::size_t i = 0; i < n; ++i) {
        const ImageAttempt& attempt = plan.attempts[i];
        if (attempt.kind == SourceKind::registered_api && !chain.api_tried) warn(api_notice);
        warn("[" + std::to_string(i + 1) + count + "generating with " + attempt_label(attempt) + ", up to " +
             std::to_string(minutes_of(attempt.timeout)) + " min; writing " + plan.output_path);

        const AttemptOutcome outcome = run_image_attempt(env, attempt, prompt, plan.output_path);
        if (outcome.delivered) {
            report_delivered_file(env, "image", plan.output_path, "the image was generated but not recorded");
            write_stdout(plan.output_path + "\n");
            return;
        }
        if (attempt.kind == SourceKind::registered_api) chain.api_tried = true;
        const bool tool = attempt.kind == SourceKind::local_tool;
        report_failed_attempt(env, "image", tool ? "tool" : "api", tool ? attempt.image_cli_id : attempt.api_id,
                              outcome.reason, "could not report the failed image attempt");
        warn(attempt.name + " " + outcome.reason);
        if (i + 1 < n) {
            const ImageAttempt& next = plan.attempts[i + 1];
            warn("falling back to " + kind_text(next) + " " + next.name);
        }
        chain.answers.push_back(attempt_label(attempt) + ": " + shorten_answer(outcome.reason));
    }
    fail(exhausted_text(chain));
}

}  // namespace tv
