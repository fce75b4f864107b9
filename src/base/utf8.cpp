#include "base/utf8.h"

#include <cstdint>

namespace tv {
namespace {

// Length of the well-formed sequence at `pos`, or 0 when it is not one;
// `bad` then receives the length of its maximal invalid subpart (at least 1).
std::size_t sequence_length(std::string_view s, std::size_t pos, std::size_t& bad) {
    const auto byte = [&](std::size_t i) -> unsigned { return static_cast<unsigned char>(s[i]); };
    const unsigned b0 = byte(pos);
    bad = 1;
    if (b0 < 0x80) return 1;
    std::size_t need;
    unsigned lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    for (std::size_t k = 1; k <= need; ++k) {
        if (pos + k >= s.size()) return 0;
        const unsigned b = byte(pos + k);
        if (b < lo || b > hi) return 0;
        lo = 0x80;
        hi = 0xBF;
        bad = k + 1;
    }
    return need + 1;
}

constexpr std::string_view replacement = "\xEF\xBF\xBD";

}  // namespace

bool is_valid_utf8(std::string_view bytes) {
    std::size_t pos = 0, bad = 0;
    while (pos < bytes.size()) {
        // Runs of ASCII are the common case; skip them eight bytes at a time.
        while (pos + 8 <= bytes.size()) {
            std::uint64_t chunk;
            __builtin_memcpy(&chunk, bytes.data() + pos, 8);
            if (chunk & 0x8080808080808080ULL) break;
            pos += 8;
        }
        if (pos >= bytes.size()) break;
        const std::size_t n = sequence_length(bytes, pos, bad);
        if (n == 0) return false;
        pos += n;
    }
    return true;
}

std::string utf8_lossy(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t pos = 0, bad = 0;
    while (pos < bytes.size()) {
        const std::size_t n = sequence_length(bytes, pos, bad);
        if (n == 0) {
            out += replacement;
            pos += bad;
        } else {
            out.append(bytes.substr(pos, n));
            pos += n;
        }
    }
    return out;
}

void make_valid_utf8(std::string& bytes) {
    if (!is_valid_utf8(bytes)) bytes = utf8_lossy(bytes);
}

char32_t next_scalar(std::string_view text, std::size_t& pos) {
    const auto byte = [&](std::size_t i) -> char32_t {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
    };
    const char32_t b0 = byte(pos);
    if (b0 < 0x80) {
        pos += 1;
        return b0;
    }
    if (b0 < 0xE0) {
        const char32_t c = ((b0 & 0x1F) << 6) | (byte(pos + 1) & 0x3F);
        pos += 2;
        return c;
    }
    if (b0 < 0xF0) {
        const char32_t c = ((b0 & 0x0F) << 12) | ((byte(pos + 1) & 0x3F) << 6) | (byte(pos + 2) & 0x3F);
        pos += 3;
        return c;
    }
    const char32_t c =
        ((b0 & 0x07) << 18) | ((byte(pos + 1) & 0x3F) << 12) | ((byte(pos + 2) & 0x3F) << 6) | (byte(pos + 3) & 0x3F);
    pos += 4;
    return c;
}

char32_t next_lossy_scalar(std::string_view bytes, std::size_t& pos) {
    std::size_t bad = 0;
    if (sequence_length(bytes, pos, bad) == 0) {
        pos += bad;
        return U'\uFFFD';
    }
    return next_scalar(bytes, pos);
}

std::size_t scalar_count(std::string_view text) {
    std::size_t count = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    }
    return count;
}

std::size_t scalar_prefix_bytes(std::string_view text, std::size_t count) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < count && pos < text.size(); ++i) next_scalar(text, pos);
    return pos < text.size() ? pos : text.size();
}

std::string pad_right(std::string_view text, std::size_t width) {
    std::string out;
    append_padded(out, text, width);
    return out;
}

void append_padded(std::string& out, std::string_view text, std::size_t width) {
    out += text;
    const std::size_t have = scalar_count(text);
    if (have < width) out.append(width - have, ' ');
}

std::string cut_with_ellipsis(std::string_view text, std::size_t limit) {
    const std::size_t cut = scalar_prefix_bytes(text, limit);
    if (cut >= text.size()) return std::string(text);
    return std::string(text.substr(0, cut)) + "\u2026 (output truncated)";
}

}  // namespace tv
