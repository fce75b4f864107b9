// One attempt of the image chain: a local tool run here, or a job that the
// app runs at a registered API.
#pragma once

#include "http_client/control_client.h"
#include "image/app_job.h"
#include "image/attempt_outcome.h"
#include "image/image_plan.h"

#include <string>

namespace tv {

// Removes whatever is at the path first, so nothing older counts.
AttemptOutcome run_image_attempt(const CallerEnv& env, const ImageAttempt& attempt, const std::string& prompt,
                                 const std::string& output_path);

AttemptOutcome run_image_api_attempt(const CallerEnv& env, const ImageAttempt& attempt, const std::string& prompt,
                                     const std::string& output_path);

// The job of an image API: polled every 2 s, given 30 s past its timeout.
AppJob image_api_job(const ImageAttempt& attempt, const std::string& prompt, const std::string& output_path);

}  // namespace tv
