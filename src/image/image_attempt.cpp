#include "image/image_attempt.h"

#include "image/local_tool_runner.h"

namespace tv {

AppJob image_api_job(const ImageAttempt& attempt, const std::string& prompt, const std::string& output_path) {
    return {
        "image", attempt.api_id, prompt, output_path, attempt.timeout, PlanDuration{2, 0}, std::chrono::seconds(30)};
}

AttemptOutcome run_image_api_attempt(const CallerEnv& env, const ImageAttempt& attempt, const std::string& prompt,
                                     const std::string& output_path) {
    return run_app_job(image_api_job(attempt, prompt, output_path), env.terminal_name, live_job_ports(env));
}

AttemptOutcome run_image_attempt(const CallerEnv& env, const ImageAttempt& attempt, const std::string& prompt,
                                 const std::string& output_path) {
    remove_earlier_file(output_path);
    if (attempt.kind == SourceKind::registered_api) {
        return run_image_api_attempt(env, attempt, prompt, output_path);
    }
    return run_local_image_tool(attempt, output_path);
}

}  // namespace tv
