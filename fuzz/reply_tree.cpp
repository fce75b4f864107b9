// The fast reply reader against the exact parser on arbitrary text: what the
// fast one reads, the exact one reads to the same value (kinds, numbers,
// bytes, member order); what the exact one refuses, the fast one refuses;
// and the reader the client uses gives the exact one's value or error.
#include "check.h"
#include "values/json.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

bool same(const tv::JsonNode& n, const tv::Json& j) {
    using Kind = tv::JsonNode::Kind;
    switch (n.kind()) {
        case Kind::null:
            return j.is_null();
        case Kind::boolean:
            return j.is_boolean() && j.get<bool>() == n.boolean_value();
        case Kind::number_unsigned:
            return j.is_number_unsigned() && j.get<std::uint64_t>() == n.unsigned_value();
        case Kind::number_integer:
            return j.is_number_integer() && !j.is_number_unsigned() && j.get<std::int64_t>() == n.integer_value();
        case Kind::number_float: {
            if (!j.is_number_float()) return false;
            const double a = n.number();
            const double b = j.get<double>();
            return std::memcmp(&a, &b, sizeof a) == 0;  // -0 and 0 differ
        }
        case Kind::string:
            return j.is_string() && j.get_ref<const std::string&>() == n.text();
        case Kind::array: {
            if (!j.is_array() || j.size() != n.size()) return false;
            for (std::size_t i = 0; i < n.size(); ++i) {
                if (!same(n[i], j[i])) return false;
            }
            return true;
        }
        case Kind::object: {
            if (!j.is_object() || j.size() != n.size()) return false;
            std::size_t i = 0;
            for (const auto& [key, value] : j.items()) {
                const tv::JsonMember& m = n.members()[i++];
                if (m.key() != key || !same(m.value(), value)) return false;
            }
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const tv::JsonParse exact = tv::parse_json(text);
    const std::optional<tv::JsonTree> fast = tv::parse_reply_fast(text);
    if (fast) {
        FUZZ_CHECK(exact.value.has_value());
        FUZZ_CHECK(same(fast->root(), *exact.value));
    }
    const tv::JsonTreeParse used = tv::parse_reply(text);
    FUZZ_CHECK(used.value.has_value() == exact.value.has_value());
    if (used.value) {
        FUZZ_CHECK(same(used.value->root(), *exact.value));
    } else {
        FUZZ_CHECK(used.error == exact.error);
    }
    return 0;
}
