#include "http_client/http_response.h"

#include "base/utf8.h"
#include "base/white_space.h"

#include <cstdint>
#include <optional>

namespace tv {
namespace {

// Full Unicode lower-casing is only needed to find two ASCII headers; folding
// ASCII letters finds exactly the same ones, since no other character lowers
// to an ASCII letter except KELVIN SIGN (to k) and LATIN CAPITAL LETTER I WITH
// DOT ABOVE (to i + combining dot), both handled here.
std::string lower_head(std::string_view head) {
    std::string text = utf8_lossy(head);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            out += static_cast<char>(c - 'A' + 'a');
        } else if (text.compare(i, 3, "\xE2\x84\xAA") == 0) {  // U+212A
            out += 'k';
            i += 2;
        } else if (text.compare(i, 2, "\xC4\xB0") == 0) {  // U+0130
            out += "i\xCC\x87";
            i += 1;
        } else {
            out += c;
        }
    }
    return out;
}

// Optional "+", then digits of the radix only, fitting 64 bits.
std::optional<std::uint64_t> parse_unsigned(std::string_view t, unsigned radix) {
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    if (t.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : t) {
        unsigned d;
        if (c >= '0' && c <= '9') {
            d = static_cast<unsigned>(c - '0');
        } else if (radix == 16 && c >= 'a' && c <= 'f') {
            d = static_cast<unsigned>(c - 'a' + 10);
        } else if (radix == 16 && c >= 'A' && c <= 'F') {
            d = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return std::nullopt;
        }
        if (value > (UINT64_MAX - d) / radix) return std::nullopt;
        value = value * radix + d;
    }
    return value;
}

std::string dechunk(std::string_view rest) {
    std::string out;
    std::size_t p = 0;
    while (rest.size() - p > 1) {
        const std::size_t eol = rest.find("\r\n", p);
        if (eol == std::string_view::npos) break;
        std::string line = utf8_lossy(rest.substr(p, eol - p));
        line = trim_white_space(std::string_view(line).substr(0, line.find(';')));
        const auto size = parse_unsigned(line, 16);
        if (!size || *size == 0) break;
        const std::size_t start = eol + 2;
        const std::size_t take = std::min<std::uint64_t>(*size, rest.size() - start);
        out.append(rest.substr(start, take));
        if (take < *size || rest.size() - start - take < 2) break;
        p = start + take + 2;
    }
    return out;
}

}  // namespace

std::string decode_http_response(std::string_view response) {
    std::string storage;
    const std::string_view body = decoded_body(response, storage);
    return storage.empty() ? std::string(body) : storage;
}

namespace {

// Of a head already in lower case. An unreadable value counts as none.
std::optional<std::uint64_t> length_in(const std::string& head) {
    std::size_t line_start = 0;
    while (line_start <= head.size()) {
        std::size_t line_end = head.find('\n', line_start);
        if (line_end == std::string::npos) line_end = head.size();
        std::string_view line = std::string_view(head).substr(line_start, line_end - line_start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        constexpr std::string_view name = "content-length:";
        if (line.substr(0, name.size()) == name) {
            return parse_unsigned(trim_white_space(line.substr(name.size())), 10);
        }
        line_start = line_end + 1;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::uint64_t> announced_length(std::string_view head) {
    const std::string lower = lower_head(head);
    if (lower.find("transfer-encoding: chunked") != std::string::npos) return std::nullopt;
    return length_in(lower);
}

std::string_view decoded_body(std::string_view response, std::string& storage) {
    const std::size_t separator = response.find("\r\n\r\n");
    if (response.size() < 4 || separator == std::string_view::npos) return {};
    const std::string head = lower_head(response.substr(0, separator));
    const std::string_view rest = response.substr(separator + 4);
    if (head.find("transfer-encoding: chunked") != std::string::npos) {
        storage = dechunk(rest);
        return storage;
    }
    const std::optional<std::uint64_t> length = length_in(head);
    if (!length) return rest;
    return rest.substr(0, std::min<std::uint64_t>(*length, rest.size()));
}

}  // namespace tv
