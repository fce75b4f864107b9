// The one message that ends an image run in which no source delivered.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

struct ExhaustedChain {
    std::vector<std::string> answers;  // "{label}: {shortened reason}", in attempt order
    std::string_view named_option;     // "--api", "--tool", "--model", or empty
    bool api_tried = false;
    std::uint64_t registered_api_count = 0;
};

std::string exhausted_text(const ExhaustedChain& chain);

}  // namespace tv
