// The plan the app hands for one image: which sources to try, in order,
// and where the file must appear.
#pragma once

#include "image/plan_values.h"
#include "values/json.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tv {

enum class SourceKind { local_tool, registered_api };

struct ImageAttempt {
    SourceKind kind = SourceKind::local_tool;
    PlanDuration timeout;
    std::string image_cli_id;  // local tool only
    std::string api_id;        // registered API only
    std::string name;
    std::string model;
    std::string command_line;  // local tool only
};

struct ImagePlan {
    std::vector<ImageAttempt> attempts;
    std::string output_path;
    std::uint64_t registered_api_count = 0;
};

// Ends the run with the first fault found, in the order the checks run.
ImagePlan read_image_plan(const JsonNode& reply);

// "local tool" / "registered API".
std::string kind_text(const ImageAttempt& attempt);
// "{kind text} {name}, model {model}".
std::string attempt_label(const ImageAttempt& attempt);

}  // namespace tv
