#include "values/json.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace tv {
namespace {

// Builds the tree from parser events so that the nesting limit stops the
// parse at the offending bracket instead of after the whole text was read.
class TreeBuilder {
public:
    using number_integer_t = Json::number_integer_t;
    using number_unsigned_t = Json::number_unsigned_t;
    using number_float_t = Json::number_float_t;
    using string_t = Json::string_t;
    using binary_t = Json::binary_t;

    Json root;
    bool too_deep = false;
    std::size_t error_position = 0;  // bytes the reader had consumed
    std::size_t error_token_length = 0;
    std::string error_message;

    bool null() { return put(Json(nullptr)); }
    bool boolean(bool v) { return put(Json(v)); }
    // The reader only reports a signed integer for a literal with a minus
    // sign; "-0" is that case with the value 0 and is a negative zero.
    bool number_integer(number_integer_t v) { return v == 0 ? put(Json(-0.0)) : put(Json(v)); }
    bool number_unsigned(number_unsigned_t v) { return put(Json(v)); }
    bool number_float(number_float_t v, const string_t&) { return put(Json(v)); }
    bool string(string_t& v) { return put(Json(std::move(v))); }
    bool binary(binary_t&) { return false; }
    bool start_object(std::size_t) { return open(Json::object()); }
    bool key(string_t& k) {
        keys_.push_back(std::move(k));
        return true;
    }
    bool end_object() { return close(); }
    bool start_array(std::size_t) { return open(Json::array()); }
    bool end_array() { return close(); }
    bool parse_error(std::size_t position, const std::string& last_token, const nlohmann::detail::exception& ex) {
        error_position = position;
        // The reader's token text is exact for strings and numbers; before a
        // bracket, a separator or a whole true, false or null it may still
        // hold earlier text, so those are measured by what they are.
        const std::string_view token = last_token;
        const bool structural =
            !token.empty() && std::string_view("[]{},:").find(token.back()) != std::string_view::npos;
        if (structural) {
            error_token_length = 1;
        } else if (token.ends_with("true") || token.ends_with("null")) {
            error_token_length = 4;
        } else if (token.ends_with("false")) {
            error_token_length = 5;
        } else {
            error_token_length = token.size();
        }
        error_message = ex.what();
        return false;
    }

private:
    // An object with many members gets a key index, so that a reply with a
    // million keys is not read in quadratic time.
    static constexpr std::size_t index_from = 16;
    struct Frame {
        Json* node;
        std::unordered_map<std::string, std::size_t> index;
    };
    std::vector<Frame> stack_;
    std::vector<std::string> keys_;

    Json* place(Json&& v) {
        if (stack_.empty()) {
            root = std::move(v);
            return &root;
        }
        Frame& frame = stack_.back();
        Json& parent = *frame.node;
        if (parent.is_array()) {
            parent.push_back(std::move(v));
            return &parent.back();
        }
        std::string key = std::move(keys_.back());
        keys_.pop_back();
        // The ordered map is a vector of pairs underneath; going through the
        // vector avoids its linear search for every new key.
        using Members = std::vector<std::pair<const std::string, Json>>;
        Members& members = parent.get_ref<Json::object_t&>();
        if (members.size() < index_from) {
            for (auto& member : members) {
                if (member.first == key) {
                    member.second = std::move(v);
                    return &member.second;
                }
            }
        } else {
            if (frame.index.empty()) {
                for (std::size_t i = 0; i < members.size(); ++i) frame.index.emplace(members[i].first, i);
            }
            const auto found = frame.index.find(key);
            if (found != frame.index.end()) {
                members[found->second].second = std::move(v);
                return &members[found->second].second;
            }
            frame.index.emplace(key, members.size());
        }
        members.emplace_back(std::move(key), std::move(v));
        return &members.back().second;
    }
    bool put(Json&& v) {
        place(std::move(v));
        return true;
    }
    bool open(Json&& container) {
        if (static_cast<int>(stack_.size()) >= max_json_depth) {
            too_deep = true;
            return false;
        }
        stack_.push_back(Frame{place(std::move(container)), {}});
        return true;
    }
    bool close() {
        stack_.pop_back();
        return true;
    }
};

// Line and column of the character that ends at `end` (a count of bytes
// consumed): lines from 1, columns from 1, column 0 right after a line feed.
std::string position_text(std::string_view text, std::size_t end) {
    std::size_t line = 1;
    std::size_t line_start = 0;
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++line;
            line_start = i + 1;
        }
    }
    return " at line " + std::to_string(line) + " column " + std::to_string(end - line_start);
}

struct ScanState {
    std::vector<char> open;  // '{' or '['
    bool in_string = false;
    char last_significant = 0;
    std::size_t too_deep_at = std::string_view::npos;
};

// A light walk over the raw text: where the nesting first passes the limit,
// and what was open when the text ran out.
ScanState scan(std::string_view text) {
    ScanState s;
    bool escaped = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (s.in_string) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                s.in_string = false;
                s.last_significant = '"';
            }
            continue;
        }
        switch (c) {
            case '"':
                s.in_string = true;
                break;
            case '{':
            case '[':
                s.open.push_back(c);
                if (static_cast<int>(s.open.size()) > max_json_depth && s.too_deep_at == std::string_view::npos) {
                    s.too_deep_at = i;
                }
                break;
            case '}':
            case ']':
                if (!s.open.empty()) s.open.pop_back();
                break;
            default:
                break;
        }
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') s.last_significant = c;
    }
    return s;
}

std::string end_of_input_description(std::string_view text) {
    const ScanState s = scan(text);
    if (s.in_string) return "EOF while parsing a string";
    if (s.open.empty()) return "EOF while parsing a value";
    const char last = s.last_significant;
    const bool in_object = s.open.back() == '{';
    if (last == ':' || (last == ',' && !in_object)) return "EOF while parsing a value";
    if (last >= 'a' && last <= 'z') {
        // Right after true, false or null the container is what ran out;
        // inside a word such as tru it is the value.
        std::size_t end = text.find_last_not_of(" \t\n\r");
        std::size_t start = end;
        while (start > 0 && text[start - 1] >= 'a' && text[start - 1] <= 'z') --start;
        const std::string_view word = text.substr(start, end + 1 - start);
        if (word != "true" && word != "false" && word != "null") return "EOF while parsing a value";
    }
    return in_object ? "EOF while parsing an object" : "EOF while parsing a list";
}

bool contains(const std::string& haystack, std::string_view needle) {
    return haystack.find(needle) != std::string::npos;
}

std::string syntax_description(const std::string& message) {
    if (contains(message, "; expected end of input")) return "trailing characters";
    if (contains(message, "number overflow")) return "number out of range";
    if (contains(message, "control character")) {
        return "control character (\\u0000-\\u001F) found while parsing a string";
    }
    if (contains(message, "surrogate")) return "lone leading surrogate in hex escape";
    if (contains(message, "\\u' must be followed")) return "invalid escape";
    if (contains(message, "forbidden character after backslash")) return "invalid escape";
    if (contains(message, "invalid number")) return "invalid number";
    if (contains(message, "while parsing object key")) return "key must be a string";
    if (contains(message, "while parsing object separator")) return "expected `:`";
    if (contains(message, "while parsing object")) return "expected `,` or `}`";
    if (contains(message, "while parsing array")) return "expected `,` or `]`";
    if (contains(message, "invalid literal")) return "expected value";
    return "expected value";
}

}  // namespace

namespace {

JsonParse parse_clean(std::string_view text) {
    JsonParse result;
    TreeBuilder builder;
    const bool ok = Json::sax_parse(text.begin(), text.end(), &builder, nlohmann::detail::input_format_t::json, true);
    if (ok) {
        result.value = std::move(builder.root);
        return result;
    }
    if (builder.too_deep) {
        const std::size_t at = scan(text).too_deep_at;
        result.error =
            "recursion limit exceeded" + position_text(text, at == std::string_view::npos ? text.size() : at + 1);
        return result;
    }
    const std::string& message = builder.error_message;
    if (builder.error_position > text.size() ||
        (contains(message, "unexpected end of input") && !contains(message, "last read"))) {
        result.error = end_of_input_description(text) + position_text(text, text.size());
        return result;
    }
    // A whole token that does not fit is reported where it begins; a token
    // the reader could not finish, where it broke off.
    std::size_t at = builder.error_position;
    if (!contains(message, "; last read: '") && !contains(message, "number overflow") &&
        builder.error_token_length <= at) {
        at = at - builder.error_token_length + 1;
    }
    result.error = syntax_description(message) + position_text(text, at);
    return result;
}

}  // namespace

JsonParse parse_json(std::string_view text) {
    // The reader would skip a byte order mark; JSON has none.
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") {
        return {std::nullopt, "expected value" + position_text(text, 1)};
    }
    // The reader takes a NUL byte for the end of the text, which would let
    // anything after it pass unseen; a NUL is never valid JSON, so judge the
    // text before it and report the NUL itself when that part is sound.
    const std::size_t nul = text.find('\0');
    if (nul == std::string_view::npos) return parse_clean(text);
    const std::string_view before = text.substr(0, nul);
    JsonParse head = parse_clean(before);
    if (!head.value && head.error.rfind("EOF while", 0) != 0) return head;
    std::string what = head.value               ? "trailing characters"
                       : scan(before).in_string ? "control character (\\u0000-\\u001F) found while parsing a string"
                                                : "expected value";
    return {std::nullopt, what + position_text(text, nul + 1)};
}

std::string to_compact_text(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

}  // namespace tv
