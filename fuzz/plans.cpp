// The image and video plan readers on arbitrary replies: a plan or a
// Failure. The first byte picks the reader.
#include "base/fail.h"
#include "image/image_plan.h"
#include "values/json.h"
#include "video/video_plan.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const tv::JsonTreeParse parsed =
        tv::parse_reply(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    if (!parsed.value) return 0;
    try {
        if (data[0] % 2 == 0) {
            const tv::ImagePlan plan = tv::read_image_plan(*parsed.value);
            for (const tv::ImageAttempt& attempt : plan.attempts) (void)tv::attempt_label(attempt);
        } else {
            (void)tv::read_video_plan(*parsed.value);
        }
    } catch (const tv::Failure&) {
    }
    return 0;
}
