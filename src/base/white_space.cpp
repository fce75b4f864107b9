#include "base/white_space.h"

#include "base/utf8.h"

namespace tv {

bool is_white_space(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

namespace {

// A sequence cut short by the end of the text is not white space, so that
// bytes that are not UTF-8 never move the ends past each other.
bool white_at(std::string_view text, std::size_t pos, std::size_t& next) {
    next = pos;
    const char32_t c = next_scalar(text, next);
    return next <= text.size() && is_white_space(c);
}

std::size_t leading_end(std::string_view text) {
    std::size_t pos = 0;
    std::size_t next = 0;
    while (pos < text.size() && white_at(text, pos, next)) pos = next;
    return pos;
}

// Byte offset just after the last scalar that is not white space.
std::size_t trailing_start(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0) {
        std::size_t start = end - 1;
        while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
        std::size_t next = 0;
        if (!white_at(text, start, next)) break;
        end = start;
    }
    return end;
}

}  // namespace

std::string_view trimmed(std::string_view text) {
    const std::size_t end = trailing_start(text);
    const std::size_t begin = leading_end(text.substr(0, end));
    return text.substr(begin, end - begin);
}

std::string trim_white_space(std::string_view text) { return std::string(trimmed(text)); }

std::string trim_trailing_white_space(std::string_view text) {
    return std::string(text.substr(0, trailing_start(text)));
}

}  // namespace tv
