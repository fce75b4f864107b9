// Bytes as lower-case hexadecimal, for the token and the part-file names.
#pragma once

#include <cstddef>
#include <string>

namespace devapp {

inline std::string hex_text(const unsigned char* bytes, std::size_t size) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * size);
    for (std::size_t i = 0; i < size; ++i) {
        out.push_back(digits[bytes[i] >> 4]);
        out.push_back(digits[bytes[i] & 15]);
    }
    return out;
}

}  // namespace devapp
