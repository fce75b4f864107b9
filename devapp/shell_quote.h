// Quoting of words for the command lines that `sh -c` runs.
#pragma once

#include <string>
#include <string_view>

namespace devapp {

// Single quotes keep every byte literal; a single quote inside is closed,
// escaped and reopened.
inline std::string shell_quote(std::string_view text) {
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out.push_back(c);
        }
    }
    out += "'";
    return out;
}

// Plain words stay as they are, so the export lines read naturally.
inline std::string shell_word(std::string_view text) {
    if (text.empty()) return "''";
    for (const char c : text) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                           c == '_' || c == '-' || c == '/' || c == ':' || c == '+' || c == '=' || c == ',';
        if (!plain) return shell_quote(text);
    }
    return std::string(text);
}

}  // namespace devapp
