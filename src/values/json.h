// The one door to JSON: `Json` builds and writes request bodies; replies
// are read into the compact read-only `JsonTree` below.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tv {

// Objects keep insertion order; numbers are held as unsigned, signed or
// double, as the text wrote them.
using Json = nlohmann::ordered_json;

// Deepest nesting a reply may have; the outermost array or object is level 1.
inline constexpr int max_json_depth = 128;

struct JsonParse {
    std::optional<Json> value;
    std::string error;  // "{description} at line {line} column {column}"
};

// Parses exactly one value followed only by space, tab, CR or LF. A repeated
// key keeps its first position and takes the later value. Never throws.
JsonParse parse_json(std::string_view text);

// Compact text: no white space, members in insertion order, non-ASCII kept
// as UTF-8, control characters escaped.
std::string to_compact_text(const Json& value);

class JsonMember;

// One value of a reply. Strings are views into the reply's own bytes (or its
// arena where escapes had to be undone); nodes never change once built.
class JsonNode {
public:
    enum class Kind : std::uint8_t {
        null,
        boolean,
        number_unsigned,
        number_integer,
        number_float,
        string,
        array,
        object
    };

    JsonNode() : u_(0) {}
    static JsonNode null() { return {}; }
    static JsonNode boolean(bool b) {
        JsonNode n(Kind::boolean);
        n.u_ = b ? 1 : 0;
        return n;
    }
    static JsonNode unsigned_number(std::uint64_t u) {
        JsonNode n(Kind::number_unsigned);
        n.u_ = u;
        return n;
    }
    static JsonNode integer_number(std::int64_t i) {
        JsonNode n(Kind::number_integer);
        n.i_ = i;
        return n;
    }
    static JsonNode float_number(double d) {
        JsonNode n(Kind::number_float);
        n.d_ = d;
        return n;
    }
    static JsonNode string(std::string_view s) {
        JsonNode n(Kind::string);
        n.s_ = s.data();
        n.size_ = static_cast<std::uint32_t>(s.size());
        return n;
    }
    static JsonNode array(const JsonNode* elements, std::uint32_t count) {
        JsonNode n(Kind::array);
        n.a_ = elements;
        n.size_ = count;
        return n;
    }
    static JsonNode object(const JsonMember* members, std::uint32_t count) {
        JsonNode n(Kind::object);
        n.m_ = members;
        n.size_ = count;
        return n;
    }

    Kind kind() const { return kind_; }
    bool is_null() const { return kind_ == Kind::null; }
    bool is_boolean() const { return kind_ == Kind::boolean; }
    bool is_number() const { return kind_ >= Kind::number_unsigned && kind_ <= Kind::number_float; }
    bool is_number_unsigned() const { return kind_ == Kind::number_unsigned; }
    bool is_string() const { return kind_ == Kind::string; }
    bool is_array() const { return kind_ == Kind::array; }
    bool is_object() const { return kind_ == Kind::object; }

    bool boolean_value() const { return u_ != 0; }
    std::uint64_t unsigned_value() const { return u_; }
    std::int64_t integer_value() const { return i_; }
    // Any number, as a double.
    double number() const {
        return kind_ == Kind::number_unsigned  ? static_cast<double>(u_)
               : kind_ == Kind::number_integer ? static_cast<double>(i_)
                                               : d_;
    }
    std::string_view text() const { return {s_, size_}; }

    // Elements of an array, members of an object; empty for anything else.
    std::span<const JsonNode> elements() const {
        return is_array() ? std::span(a_, size_) : std::span<const JsonNode>();
    }
    std::span<const JsonMember> members() const;
    std::size_t size() const { return is_array() || is_object() ? size_ : 0; }
    bool empty() const { return size() == 0; }
    const JsonNode* begin() const { return elements().data(); }
    const JsonNode* end() const { return elements().data() + elements().size(); }
    const JsonNode& operator[](std::size_t i) const { return a_[i]; }

    // The member `key` of an object; nullptr when absent or not an object.
    const JsonNode* find(std::string_view key) const;

private:
    explicit JsonNode(Kind k) : kind_(k), u_(0) {}
    Kind kind_ = Kind::null;
    std::uint32_t size_ = 0;
    union {
        std::uint64_t u_;
        std::int64_t i_;
        double d_;
        const char* s_;
        const JsonNode* a_;
        const JsonMember* m_;
    };
};

class JsonMember {
public:
    JsonMember(std::string_view key, JsonNode value) : key_(JsonNode::string(key)), value_(value) {}
    std::string_view key() const { return key_.text(); }
    const JsonNode& value() const { return value_; }
    JsonNode& value() { return value_; }

private:
    JsonNode key_;
    JsonNode value_;
};

inline std::span<const JsonMember> JsonNode::members() const {
    return is_object() ? std::span(m_, size_) : std::span<const JsonMember>();
}

inline const JsonNode* JsonNode::find(std::string_view key) const {
    for (const JsonMember& m : members()) {
        if (m.key() == key) return &m.value();
    }
    return nullptr;
}

// A parsed reply: its bytes, the arena its nodes live in, and the root.
// Copies share the one storage; the nodes never move.
class JsonTree {
public:
    struct Storage;
    JsonTree();

    const JsonNode& root() const { return *root_; }
    operator const JsonNode&() const { return *root_; }

    // Hands the storage to the end of the process, which reclaims it whole
    // instead of the tree freeing its pieces one by one.
    void keep_until_exit();

    // Internal: set up by the readers in json_tree.cpp.
    JsonTree(std::shared_ptr<Storage> storage, const JsonNode* root);

private:
    std::shared_ptr<Storage> storage_;
    const JsonNode* root_;
};

struct JsonTreeParse {
    std::optional<JsonTree> value;
    std::string error;  // as JsonParse::error
};

// Reads the bytes [offset, offset + length) of `bytes`, which the tree keeps,
// with the rules and error texts of parse_json, which it falls back to when
// its own fast reader refuses the text.
JsonTreeParse parse_reply(std::string bytes, std::size_t offset, std::size_t length);
// Bytes parse_reply appends after the text for its reader; `bytes` with this
// much room to spare is not copied.
inline constexpr std::size_t reply_padding = 16;
inline JsonTreeParse parse_reply(std::string_view text) { return parse_reply(std::string(text), 0, text.size()); }

// The fast reader alone: nothing when it refuses the text (the differential
// fuzz target holds it to parse_json).
std::optional<JsonTree> parse_reply_fast(std::string_view text);

// The same value as a compact tree.
JsonTree tree_of(const Json& value);

}  // namespace tv
