#include "image/tool_report.h"

#include "base/utf8.h"
#include "base/white_space.h"

namespace tv {

std::string tool_report(std::string_view stderr_bytes) {
    const std::string text = trim_trailing_white_space(utf8_lossy(stderr_bytes));
    if (text.empty()) return "the tool printed nothing on stderr";
    return "the tool reported: " + cut_with_ellipsis(text, tool_report_limit);
}

bool shorten_for_tool_report(std::string& bytes) {
    // A character is decided once the bytes that may belong to it are in.
    constexpr std::size_t longest_sequence = 4;
    constexpr std::size_t shown_bytes = tool_report_limit * longest_sequence;
    // Only now and then, so that the shown part is not scanned on every read.
    if (bytes.size() < 2 * shown_bytes) return false;
    std::size_t pos = 0;
    for (std::size_t n = 0; n < tool_report_limit; ++n) next_lossy_scalar(bytes, pos);
    const std::size_t shown_end = pos;
    while (pos + longest_sequence <= bytes.size()) {
        if (!is_white_space(next_lossy_scalar(bytes, pos))) {
            // Past the shown characters: the text is cut, whatever follows.
            bytes.resize(pos);
            return true;
        }
    }
    // White space past the shown characters is trimmed away, or cut away
    // when text follows it; either way it does not matter.
    bytes.erase(shown_end, pos - shown_end);
    return false;
}

}  // namespace tv
