// UTF-8 checks, lossy decoding and counting in Unicode scalar values.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tv {

bool is_valid_utf8(std::string_view bytes);

// Every maximal invalid subpart becomes one U+FFFD.
std::string utf8_lossy(std::string_view bytes);
// The same, in place; cheap when the bytes are already valid.
void make_valid_utf8(std::string& bytes);

// Decodes the scalar value at `pos` of valid UTF-8 and advances `pos`.
char32_t next_scalar(std::string_view text, std::size_t& pos);
// The scalar value at `pos` < size as utf8_lossy decodes it (U+FFFD for an
// invalid subpart); advances `pos` past the bytes it took.
char32_t next_lossy_scalar(std::string_view bytes, std::size_t& pos);

std::size_t scalar_count(std::string_view text);

// Byte length of the first `count` scalar values (the whole text when shorter).
std::size_t scalar_prefix_bytes(std::string_view text, std::size_t count);

// Pads with spaces on the right until the text holds `width` scalar values.
std::string pad_right(std::string_view text, std::size_t width);
void append_padded(std::string& out, std::string_view text, std::size_t width);

// Keeps the first `limit` scalar values and appends "… (output truncated)"
// when the text is longer.
std::string cut_with_ellipsis(std::string_view text, std::size_t limit);

}  // namespace tv
