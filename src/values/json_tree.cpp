// The reply reader: RapidJSON's event reader (iterative, numbers handed over
// as their literal) builds the compact tree straight into an arena. Whatever
// it refuses goes to parse_json, which owns every error text; the rare text
// only the exact parser accepts is copied over from its tree.
#include "values/json.h"

#include "base/utf8.h"

// Strings are scanned 16 bytes at a time, in aligned loads that may reach up
// to 15 bytes past the terminating NUL: hence the padding below. That scan
// lets the bytes 0x1A to 0x1F through inside a string (fixed upstream), so
// texts holding any of them are left to the exact parser.
#if defined(__SSE2__)
#define RAPIDJSON_SSE2
#endif
// RapidJSON 1.1 adds an offset to its stack's null pointer before the stack
// first grows (fixed upstream): harmless, but the sanitized build stops on it.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((no_sanitize("pointer-overflow"))), apply_to = function)
#endif
#include <rapidjson/reader.h>
#if defined(__clang__)
#pragma clang attribute pop
#endif

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace tv {

// Bump allocation in large blocks; nothing is freed before the whole arena.
class Arena {
public:
    void* allocate(std::size_t bytes) {
        bytes = (bytes + 7) & ~std::size_t{7};
        if (bytes > left_) {
            const std::size_t size = std::max(bytes, next_block_);
            next_ = static_cast<std::byte*>(allocate_block(size));
            blocks_.emplace_back(next_);
            left_ = size;
            next_block_ = std::min<std::size_t>(next_block_ * 2, std::size_t{64} << 20);
        }
        void* at = next_;
        next_ += bytes;
        left_ -= bytes;
        return at;
    }
    template <class T>
    T* copy(const T* from, std::size_t count) {
        if (count == 0) return nullptr;
        T* to = static_cast<T*>(allocate(count * sizeof(T)));
        std::memcpy(static_cast<void*>(to), from, count * sizeof(T));
        return to;
    }

private:
    struct Free {
        void operator()(std::byte* p) const { std::free(p); }
    };

    // Left uninitialised.
    static void* allocate_block(std::size_t size) {
        void* p = std::malloc(size);
        if (p == nullptr) throw std::bad_alloc();
        return p;
    }

    std::vector<std::unique_ptr<std::byte, Free>> blocks_;
    std::byte* next_ = nullptr;
    std::size_t left_ = 0;
    std::size_t next_block_ = std::size_t{64} << 10;
};

struct JsonTree::Storage {
    std::string bytes;
    Arena arena;
};

JsonTree::JsonTree() {
    static const JsonNode null_node;
    root_ = &null_node;
}
JsonTree::JsonTree(std::shared_ptr<Storage> storage, const JsonNode* root)
    : storage_(std::move(storage)), root_(root) {}

void JsonTree::keep_until_exit() {
    // Reachable from here until exit, so leak checkers see it as kept.
    static auto* kept = new std::vector<std::shared_ptr<Storage>>;
    kept->push_back(std::move(storage_));
}

namespace {

static_assert(sizeof(JsonNode) == 16 && sizeof(JsonMember) == 32);

// Objects and arrays under construction share one stack of finished values;
// a member is its key followed by its value.
class TreeBuilder {
public:
    TreeBuilder(Arena& arena, std::string_view text, const rapidjson::StringStream& stream)
        : arena_(arena), text_(text.data()), size_(text.size()), stream_(stream) {}

    const JsonNode* root() const { return root_; }

    bool Null() { return put(JsonNode::null()); }
    bool Bool(bool b) { return put(JsonNode::boolean(b)); }
    // Numbers arrive as their literal only.
    bool Int(int) { return false; }
    bool Uint(unsigned) { return false; }
    bool Int64(std::int64_t) { return false; }
    bool Uint64(std::uint64_t) { return false; }
    bool Double(double) { return false; }
    bool RawNumber(const char* s, rapidjson::SizeType length, bool) {
        const char* end = s + length;
        const bool whole = std::find_if(s, end, [](char c) { return c == '.' || c == 'e' || c == 'E'; }) == end;
        if (whole) {
            if (*s == '-') {
                std::int64_t i = 0;
                const auto r = std::from_chars(s, end, i);
                // "-0" is a negative zero, kept as such.
                if (r.ec == std::errc() && r.ptr == end)
                    return put(i == 0 ? JsonNode::float_number(-0.0) : JsonNode::integer_number(i));
            } else {
                std::uint64_t u = 0;
                const auto r = std::from_chars(s, end, u);
                if (r.ec == std::errc() && r.ptr == end) return put(JsonNode::unsigned_number(u));
            }
        }
        double d = 0;
        const auto r = std::from_chars(s, end, d);
        // Out of range (either way) is for the exact parser to judge.
        if (r.ec != std::errc() || r.ptr != end || !std::isfinite(d)) return false;
        return put(JsonNode::float_number(d));
    }
    bool String(const char* s, rapidjson::SizeType length, bool) {
        const char* kept = keep_string(s, length);
        return kept != nullptr && put(JsonNode::string({kept, length}));
    }
    bool Key(const char* s, rapidjson::SizeType length, bool copy) { return String(s, length, copy); }
    bool StartObject() { return open(); }
    bool StartArray() { return open(); }
    bool EndObject(rapidjson::SizeType count) { return close_object(count); }
    bool EndArray(rapidjson::SizeType count) {
        const std::size_t first = values_.size() - count;
        const JsonNode* elements = arena_.copy(values_.data() + first, count);
        values_.resize(first);
        --depth_;
        return put(JsonNode::array(elements, count));
    }

private:
    Arena& arena_;
    const char* text_;
    std::size_t size_;
    const rapidjson::StringStream& stream_;
    std::vector<JsonNode> values_;
    std::vector<JsonMember> members_;
    std::vector<std::uint32_t> order_;
    int depth_ = 0;
    const JsonNode* root_ = nullptr;

    bool put(JsonNode n) {
        if (depth_ == 0) {
            root_ = arena_.copy(&n, 1);
        } else {
            values_.push_back(n);
        }
        return true;
    }
    bool open() {
        if (++depth_ > max_json_depth) return false;
        return true;
    }

    // The string as read; where the text holds the same bytes (no escape was
    // undone) the view points there, else at a copy in the arena. The reader
    // moves its stream on only after the handler returns, so the position is
    // still that of the opening quote.
    const char* keep_string(const char* s, std::size_t length) {
        // Without a backslash among the first `length` bytes after the quote
        // no escape was undone, so those bytes are the string.
        const std::size_t start = stream_.Tell() + 1;
        if (start + length <= size_ && std::memchr(text_ + start, '\\', length) == nullptr) return text_ + start;
        // A lone low surrogate escape comes out as the UTF-8 of a surrogate,
        // which the exact parser refuses; so must this one.
        for (const char* p = s; (p = static_cast<const char*>(std::memchr(p, '\xED', s + length - p))) != nullptr;
             ++p) {
            if (p + 1 < s + length && static_cast<unsigned char>(p[1]) >= 0xA0) return nullptr;
        }
        char* copy = arena_.copy(s, length);
        return copy != nullptr ? copy : text_;
    }

    // A repeated key keeps its first place and takes the last value.
    bool close_object(std::size_t count) {
        const std::size_t first = values_.size() - 2 * count;
        members_.clear();
        members_.reserve(count);
        for (std::size_t k = 0; k < count; ++k) {
            members_.emplace_back(values_[first + 2 * k].text(), values_[first + 2 * k + 1]);
        }
        values_.resize(first);
        fold_repeated_keys();
        const JsonMember* members = arena_.copy(members_.data(), members_.size());
        --depth_;
        return put(JsonNode::object(members, static_cast<std::uint32_t>(members_.size())));
    }

    void fold_repeated_keys() {
        const std::size_t n = members_.size();
        if (n < 2) return;
        bool repeated = false;
        if (n <= 32) {
            for (std::size_t i = 1; i < n && !repeated; ++i) {
                for (std::size_t j = 0; j < i && !repeated; ++j) repeated = members_[i].key() == members_[j].key();
            }
            if (!repeated) return;
        }
        // Sorted by key, then position: each run of one key starts at its
        // first place and ends at its last value.
        order_.resize(n);
        for (std::size_t i = 0; i < n; ++i) order_[i] = static_cast<std::uint32_t>(i);
        std::sort(order_.begin(), order_.end(), [this](std::uint32_t a, std::uint32_t b) {
            const int c = members_[a].key().compare(members_[b].key());
            return c < 0 || (c == 0 && a < b);
        });
        std::vector<bool> dropped(n, false);
        bool any = false;
        for (std::size_t i = 0; i < n;) {
            std::size_t j = i + 1;
            while (j < n && members_[order_[j]].key() == members_[order_[i]].key()) dropped[order_[j++]] = true;
            if (j - i > 1) {
                members_[order_[i]].value() = members_[order_[j - 1]].value();
                any = true;
            }
            i = j;
        }
        if (!any) return;
        std::size_t out = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (!dropped[i]) members_[out++] = members_[i];
        }
        members_.erase(members_.begin() + static_cast<std::ptrdiff_t>(out), members_.end());
    }
};

JsonNode node_of(Arena& arena, const Json& v) {
    switch (v.type()) {
        case Json::value_t::boolean:
            return JsonNode::boolean(v.get<bool>());
        case Json::value_t::number_unsigned:
            return JsonNode::unsigned_number(v.get<Json::number_unsigned_t>());
        case Json::value_t::number_integer:
            return JsonNode::integer_number(v.get<Json::number_integer_t>());
        case Json::value_t::number_float:
            return JsonNode::float_number(v.get<double>());
        case Json::value_t::string: {
            const std::string& s = v.get_ref<const std::string&>();
            const char* kept = arena.copy(s.data(), s.size());
            return JsonNode::string({kept != nullptr ? kept : "", s.size()});
        }
        case Json::value_t::array: {
            std::vector<JsonNode> elements;
            elements.reserve(v.size());
            for (const Json& e : v) elements.push_back(node_of(arena, e));
            return JsonNode::array(arena.copy(elements.data(), elements.size()),
                                   static_cast<std::uint32_t>(elements.size()));
        }
        case Json::value_t::object: {
            std::vector<JsonMember> members;
            members.reserve(v.size());
            for (const auto& [key, value] : v.items()) {
                const char* kept = arena.copy(key.data(), key.size());
                members.emplace_back(std::string_view(kept != nullptr ? kept : "", key.size()), node_of(arena, value));
            }
            return JsonNode::object(arena.copy(members.data(), members.size()),
                                    static_cast<std::uint32_t>(members.size()));
        }
        default:
            return JsonNode::null();
    }
}

JsonTree tree_in(std::shared_ptr<JsonTree::Storage> storage, const Json& value) {
    const JsonNode root = node_of(storage->arena, value);
    const JsonNode* at = storage->arena.copy(&root, 1);
    return JsonTree(std::move(storage), at);
}

}  // namespace

JsonTree tree_of(const Json& value) { return tree_in(std::make_shared<JsonTree::Storage>(), value); }

namespace {

// A byte from 0x1A to 0x1F, valid nowhere in JSON text. Blocks of a fixed
// size without branches inside, which the compiler turns into vector code.
bool has_late_control_byte(std::string_view text) {
    const auto is_late = [](char c) { return static_cast<unsigned char>(c - 0x1A) < 6; };
    constexpr std::size_t block = 64;
    std::size_t i = 0;
    for (; i + block <= text.size(); i += block) {
        unsigned char found = 0;
        for (std::size_t k = 0; k < block; ++k) found |= is_late(text[i + k]) ? 1 : 0;
        if (found != 0) return true;
    }
    return std::any_of(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(), is_late);
}

// The reader stops at the first NUL; its string scan reads on to the end of
// the aligned 16 bytes that hold it.
static_assert(reply_padding >= 16);

// `bytes` with the text [offset, offset + length) followed by the padding.
std::string_view padded(std::string& bytes, std::size_t offset, std::size_t length) {
    bytes.resize(offset + length);
    bytes.append(reply_padding, '\0');
    return std::string_view(bytes.data() + offset, length);
}

// The root, or nullptr when the fast reader refuses the text, which must be
// followed by the padding.
const JsonNode* read_fast(Arena& arena, std::string_view text) {
    if (text.size() > std::numeric_limits<rapidjson::SizeType>::max()) return nullptr;
    rapidjson::StringStream stream(text.data());
    TreeBuilder builder(arena, text, stream);
    rapidjson::Reader reader;
    constexpr unsigned flags = rapidjson::kParseIterativeFlag | rapidjson::kParseNumbersAsStringsFlag;
    // Text that is not UTF-8 is for the exact parser to judge; one check of
    // the whole text costs less than the reader's string by string.
    if (!is_valid_utf8(text) || has_late_control_byte(text)) return nullptr;
    // A NUL inside the text looks to the reader like its end.
    if (reader.Parse<flags>(stream, builder).IsError() || stream.Tell() != text.size()) return nullptr;
    return builder.root();
}

}  // namespace

std::optional<JsonTree> parse_reply_fast(std::string_view text) {
    auto storage = std::make_shared<JsonTree::Storage>();
    storage->bytes = std::string(text);
    const JsonNode* root = read_fast(storage->arena, padded(storage->bytes, 0, text.size()));
    if (root == nullptr) return std::nullopt;
    return JsonTree(std::move(storage), root);
}

JsonTreeParse parse_reply(std::string bytes, std::size_t offset, std::size_t length) {
    auto storage = std::make_shared<JsonTree::Storage>();
    storage->bytes = std::move(bytes);
    const std::string_view text = padded(storage->bytes, offset, length);
    if (const JsonNode* root = read_fast(storage->arena, text)) return {JsonTree(std::move(storage), root), {}};
    JsonParse exact = parse_json(text);
    if (!exact.value) return {std::nullopt, std::move(exact.error)};
    storage->arena = Arena();
    return {tree_in(std::move(storage), *exact.value), {}};
}

}  // namespace tv
