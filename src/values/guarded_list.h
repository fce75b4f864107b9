// Reads of list-valued members whose wrong shape ends the run with a fixed
// message. The messages are those that the app's own client has always
// printed, so agents may match on them.
#pragma once

#include "values/value_text.h"

#include <string_view>

namespace tv {

// A list that is counted first: absent and null get the "reading 'length'"
// messages, any other non-array `wrong_kind`.
const JsonNode& counted_list(Value holder, std::string_view key, std::string_view wrong_kind);

// A list walked without counting: anything but an array, absent and null
// included, gives "responseBody.{key} is not iterable".
const JsonNode& walked_list(Value holder, std::string_view key);

// A nested object read for its fields: absent or null ends the run naming
// `first_field`, the first field the reader takes from it.
Value nested_holder(Value holder, std::string_view key, std::string_view first_field);

}  // namespace tv
