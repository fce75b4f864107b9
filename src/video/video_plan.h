// The plan the app hands for one video: the registered APIs to call, in
// order, and where the file must appear.
#pragma once

#include "image/plan_values.h"
#include "values/json.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tv {

struct VideoAttempt {
    std::string api_id;
    std::string api_name;
    std::string model;
    PlanDuration timeout;
    PlanDuration poll_interval;  // never under one second
};

struct VideoPlan {
    std::vector<VideoAttempt> attempts;
    std::string output_path;
    std::uint64_t registered_api_count = 0;
};

// Ends the run with the first fault found, in the order the checks run.
VideoPlan read_video_plan(const JsonNode& reply);

}  // namespace tv
