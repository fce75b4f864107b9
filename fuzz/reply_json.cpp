// The reply parser on arbitrary text: a value, or an error that says where;
// a value survives being written and read again.
#include "check.h"
#include "values/json.h"

#include <cstddef>
#include <cstdint>
#include <regex>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const tv::JsonParse parsed = tv::parse_json(text);
    if (!parsed.value) {
        static const std::regex where(".+ at line [1-9][0-9]* column [0-9]+");
        FUZZ_CHECK(std::regex_match(parsed.error, where));
        return 0;
    }
    FUZZ_CHECK(parsed.error.empty());
    const std::string written = tv::to_compact_text(*parsed.value);
    const tv::JsonParse again = tv::parse_json(written);
    FUZZ_CHECK(again.value.has_value());
    FUZZ_CHECK(*again.value == *parsed.value);
    FUZZ_CHECK(tv::to_compact_text(*again.value) == written);
    return 0;
}
