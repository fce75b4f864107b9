#include "values/port.h"

#include "base/fail.h"
#include "values/number_text.h"

#include <cmath>

namespace tv {

PortCheck check_port(std::string_view text) {
    const double x = text_to_number(text);
    if (std::isnan(x)) return {80, "NaN"};
    std::string port_text = number_to_text(x);
    if (x == 0) return {80, std::move(port_text)};
    if (!std::isfinite(x) || x != std::trunc(x) || x < 0 || x >= 65536) {
        fail("Port should be >= 0 and < 65536. Received type number (" + port_text + ").");
    }
    return {static_cast<std::uint16_t>(x), std::move(port_text)};
}

}  // namespace tv
