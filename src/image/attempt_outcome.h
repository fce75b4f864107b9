// How one image or video attempt ended.
#pragma once

#include <string>

namespace tv {

// What one attempt came to: a delivered file, or the reason it did not.
struct AttemptOutcome {
    bool delivered = false;
    std::string reason;  // worded to follow the source's name

    static AttemptOutcome success() { return {true, {}}; }
    static AttemptOutcome failure(std::string why) { return {false, std::move(why)}; }
};

}  // namespace tv
