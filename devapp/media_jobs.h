// The image and video steps after the plan: API jobs, failure reports and the record.
#pragma once

#include "values/json.h"
#include "workstation.h"

#include <string_view>

namespace devapp {

tv::Json start_api_job(Workstation& ws, const tv::Json& body, std::string_view kind);
tv::Json poll_api_job(Workstation& ws, const tv::Json& body, std::string_view kind);
tv::Json note_media_failure(const tv::Json& body);
tv::Json record_media_file(Workstation& ws, Terminal& caller, const tv::Json& body, std::string_view kind);

// Checks a prompt before it goes into a plan or a job.
const std::string& prompt_member(const tv::Json& body);

}  // namespace devapp
