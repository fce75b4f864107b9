// Every renderer and the output frame on arbitrary replies: a body or a
// Failure, and nothing else escapes. The first byte picks the renderer.
#include "render/render.h"
#include "base/fail.h"
#include "values/json.h"
#include "values/output_frame.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 21> commands = {
    "spawn",    "send",    "standby", "resume", "close", "done",          "progress",
    "artifact", "request", "note",    "inbox",  "ack",   "status",        "list",
    "brief",    "merge",   "models",  "skills", "quota", "install-skill", "history"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const tv::Renderer render = tv::renderer_for(commands[data[0] % commands.size()]);
    const tv::JsonTreeParse parsed =
        tv::parse_reply(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    if (!parsed.value) return 0;
    try {
        (void)render(*parsed.value);
    } catch (const tv::Failure&) {
    }
    try {
        (void)tv::pending_line(*parsed.value);
    } catch (const tv::Failure&) {
    }
    return 0;
}
