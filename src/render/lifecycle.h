#pragma once

#include "values/json.h"

#include <string>

namespace tv {

std::string render_spawn(const Json& reply);
std::string render_send(const Json& reply);
std::string render_standby(const Json& reply);
std::string render_resume(const Json& reply);
std::string render_close(const Json& reply);

}  // namespace tv
