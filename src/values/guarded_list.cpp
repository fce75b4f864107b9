#include "values/guarded_list.h"

#include "base/fail.h"

#include <string>

namespace tv {

const JsonNode& counted_list(Value holder, std::string_view key, std::string_view wrong_kind) {
    const Value v = read_property(holder, key);
    if (v == nullptr) fail("Cannot read properties of undefined (reading 'length')");
    if (v->is_null()) fail("Cannot read properties of null (reading 'length')");
    if (!v->is_array()) fail(std::string(wrong_kind));
    return *v;
}

const JsonNode& walked_list(Value holder, std::string_view key) {
    const Value v = read_property(holder, key);
    if (v == nullptr || !v->is_array()) fail("responseBody." + std::string(key) + " is not iterable");
    return *v;
}

Value nested_holder(Value holder, std::string_view key, std::string_view first_field) {
    const Value v = read_property(holder, key);
    if (v == nullptr) {
        fail("Cannot read properties of undefined (reading '" + std::string(first_field) + "')");
    }
    if (v->is_null()) fail("Cannot read properties of null (reading '" + std::string(first_field) + "')");
    return v;
}

}  // namespace tv
