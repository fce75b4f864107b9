// The image command: the plan, each attempt of its chain, the reports, and
// the path of the one file produced.
#pragma once

#include "http_client/control_client.h"
#include "values/json.h"

#include <string>
#include <string_view>

namespace tv {

// What the image command takes from its command line.
struct ImageRequest {
    Json plan_body;  // the "plan" request, built by the front end
    std::string prompt;
    std::string_view named_option;  // "--api", "--tool", "--model", or empty
};

// Runs the whole image command: prints the path and returns, or fails.
void run_image_command(const ImageRequest& request, const CallerEnv& env);

}  // namespace tv
