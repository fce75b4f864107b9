// Text to number and back: any text reads without harm, and the text of a
// finite double reads back as that double.
#include "check.h"
#include "values/number_text.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

void check_round_trip(double x) {
    if (!std::isfinite(x)) return;
    const std::string text = tv::number_to_text(x);
    FUZZ_CHECK(tv::text_to_number(text) == x);
    if (x != 0) {
        const tv::ShortestDigits shortest = tv::shortest_digits(x);
        FUZZ_CHECK(!shortest.digits.empty() && shortest.digits.front() != '0');
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= sizeof(double)) {
        double x;
        std::memcpy(&x, data, sizeof x);
        check_round_trip(x);
    }
    const double read = tv::text_to_number(std::string_view(reinterpret_cast<const char*>(data), size));
    check_round_trip(read);
    return 0;
}
