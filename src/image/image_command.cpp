#include "image/image_command.h"

#include "cli/fail.h"
#include "cli/request_body.h"
#include "http_client/reply.h"
#include "image/answer_list.h"
#include "image/exhausted_text.h"
#include "image/image_attempt.h"
#include "image/image_plan.h"
#include "values/output_frame.h"

namespace tv {
namespace {

constexpr std::string_view api_notice =
    "the next attempt is an API call made by the app itself. Its model id reads author/slug, so the part before "
    "the slash is who made the MODEL, never a second service.";

Json report_body(const CallerEnv& env, std::string_view phase) {
    Json body = Json::object();
    body["command"] = "image";
    body["from"] = env.terminal_name;
    body["phase"] = phase;
    return body;
}

void report_failure(const CallerEnv& env, const ImageAttempt& attempt, const std::string& reason) {
    Json body = report_body(env, "failure");
    if (attempt.kind == SourceKind::local_tool) {
        body["tool"] = attempt.image_cli_id;
    } else {
        body["api"] = attempt.api_id;
    }
    body["detail"] = reason;
    if (const auto text = body_text(body)) report_best_effort(env, *text, "could not report the failed image attempt");
}

void report_record(const CallerEnv& env, const std::string& output_path) {
    Json body = report_body(env, "record");
    body["path"] = output_path;
    if (const auto text = body_text(body)) report_best_effort(env, *text, "the image was generated but not recorded");
}

// The first of the options that narrow the chain to one source, if any.
std::string_view named_option(const ParsedArgs& args) {
    constexpr std::pair<std::string_view, std::string_view> naming[] = {
        {"api", "--api"}, {"tool", "--tool"}, {"model", "--model"}};
    for (const auto& [name, option] : naming) {
        if (args.value(name) != nullptr) return option;
    }
    return {};
}

ImagePlan request_plan(const ParsedArgs& args, const CallerEnv& env) {
    const auto text = body_text(build_request_body("image", args, env.terminal_name));
    if (!text) fail("could not serialize the image request");
    return read_image_plan(request_or_fail(env, *text));
}

}  // namespace

void run_image_command(const ParsedArgs& args, const CallerEnv& env) {
    const ImagePlan plan = request_plan(args, env);
    const std::string* prompt_value = args.value("prompt");
    const std::string prompt = prompt_value != nullptr ? *prompt_value : "";
    const std::size_t n = plan.attempts.size();
    const std::string count = "/" + std::to_string(n) + "] ";

    ExhaustedChain chain;
    chain.named_option = named_option(args);
    chain.registered_api_count = plan.registered_api_count;
    for (std::size_t i = 0; i < n; ++i) {
        const ImageAttempt& attempt = plan.attempts[i];
        if (attempt.kind == SourceKind::registered_api && !chain.api_tried) warn(api_notice);
        warn("[" + std::to_string(i + 1) + count + "generating with " + attempt_label(attempt) + ", up to " +
             std::to_string(minutes_of(attempt.timeout)) + " min; writing " + plan.output_path);

        const AttemptOutcome outcome = run_image_attempt(env, attempt, prompt, plan.output_path);
        if (outcome.delivered) {
            report_record(env, plan.output_path);
            write_stdout(plan.output_path + "\n");
            return;
        }
        if (attempt.kind == SourceKind::registered_api) chain.api_tried = true;
        report_failure(env, attempt, outcome.reason);
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
