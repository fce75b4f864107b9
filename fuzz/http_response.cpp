// The HTTP response decoder on arbitrary bytes: never fails, and both forms
// give the same body, never longer than the response.
#include "http_client/http_response.h"
#include "check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view response(reinterpret_cast<const char*>(data), size);
    const std::string copied = tv::decode_http_response(response);
    std::string storage;
    const std::string_view viewed = tv::decoded_body(response, storage);
    FUZZ_CHECK(copied == viewed);
    FUZZ_CHECK(copied.size() <= size);
    return 0;
}
