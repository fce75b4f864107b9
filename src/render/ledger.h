#pragma once

#include "values/json.h"

#include <string>

namespace tv {

std::string render_done(const Json& reply);
std::string render_progress(const Json& reply);
std::string render_artifact(const Json& reply);
std::string render_request(const Json& reply);
std::string render_note(const Json& reply);
std::string render_inbox(const Json& reply);
std::string render_ack(const Json& reply);
std::string render_status(const Json& reply);

}  // namespace tv
