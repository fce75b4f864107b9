// Made-up values derived from text (commit ids, picture seeds), the same in every session.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace devapp {

inline std::uint64_t text_hash(std::string_view text, std::uint64_t seed = 0) {
    std::uint64_t h = 14695981039346656037ull ^ (seed * 1099511628211ull);
    for (const char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    // A final mix, so that nearby texts give unrelated values.
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    return h;
}

// Forty hexadecimal digits, like a commit id.
inline std::string fake_sha(std::string_view text) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::uint64_t round = 0; out.size() < 40; ++round) {
        std::uint64_t h = text_hash(text, round + 1);
        for (int i = 0; i < 16 && out.size() < 40; ++i, h >>= 4) out.push_back(digits[h & 15]);
    }
    return out;
}

}  // namespace devapp
