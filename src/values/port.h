// The port variable read as a number and checked.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tv {

struct PortCheck {
    std::uint16_t port;
    std::string port_text;  // the number as written back, for messages
};

// Zero and unreadable texts fall back to port 80; anything else must be an
// integer from 1 to 65535, or the run stops with the port message.
PortCheck check_port(std::string_view text);

}  // namespace tv
