// Stand-in for routing_parts until the lifecycle renderers land with the real one.
#include "values/value_text.h"

#include <string>
#include <vector>

namespace tv {

std::vector<std::string> routing_parts(Value v);

std::vector<std::string> routing_parts(Value v) {
    std::vector<std::string> parts;
    if (v == nullptr || !v->is_object()) return parts;
    for (const char* member : {"model", "effort", "category"}) {
        const Value m = read_property(v, member);
        if (is_present(m)) parts.push_back(std::string(member) + " " + value_text(m));
    }
    return parts;
}

}  // namespace tv
