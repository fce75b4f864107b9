// Replies to the commands that read and write the workstation's task ledger.
#pragma once

#include "values/json.h"

#include <string>
#include <string_view>

namespace tv {

std::string render_done(const JsonNode& reply);
std::string render_progress(const JsonNode& reply);
std::string render_artifact(const JsonNode& reply);
std::string render_request(const JsonNode& reply);
std::string render_note(const JsonNode& reply);
std::string render_inbox(const JsonNode& reply);
std::string render_ack(const JsonNode& reply);
std::string render_status(const JsonNode& reply);

// How a marco field's key reads in a sentence: "nextStep" is "next step",
// every other key reads as itself.
std::string field_label(std::string_view key);

}  // namespace tv
