// Replies to the commands that read and write the workstation's task ledger.
#pragma once

#include "values/json.h"

#include <string>
#include <string_view>

namespace tv {

std::string render_done(const Json& reply);
std::string render_progress(const Json& reply);
std::string render_artifact(const Json& reply);
std::string render_request(const Json& reply);
std::string render_note(const Json& reply);
std::string render_inbox(const Json& reply);
std::string render_ack(const Json& reply);
std::string render_status(const Json& reply);

// How a marco field's key reads in a sentence: "nextStep" is "next step",
// every other key reads as itself.
std::string field_label(std::string_view key);

}  // namespace tv
