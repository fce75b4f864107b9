// One request body in, the reply out: envelope, command table, role rule and journal.
#pragma once

#include "workstation.h"

#include <string>
#include <string_view>

namespace devapp {

struct ControlAnswer {
    int http_status = 200;
    std::string body;
    std::string summary;  // "api-2 done -> ok", for the log
};

// Never throws: whatever arrives ends in a reply.
ControlAnswer answer_control_request(Workstation& ws, std::string_view body_text);

// A refusal in the envelope's shape, for answers made outside the table.
std::string refusal_body(const std::string& error);

}  // namespace devapp
