#include "image/tool_report.h"

#include "base/utf8.h"
#include "base/white_space.h"

namespace tv {

std::string tool_report(std::string_view stderr_bytes) {
    const std::string text = trim_trailing_white_space(utf8_lossy(stderr_bytes));
    if (text.empty()) return "the tool printed nothing on stderr";
    return "the tool reported: " + cut_with_ellipsis(text, tool_report_limit);
}

}  // namespace tv
