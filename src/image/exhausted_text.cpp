#include "image/exhausted_text.h"

#include "image/answer_list.h"

namespace tv {
namespace {

std::string named_source_text(const std::string& answer, std::string_view option) {
    const std::string o(option);
    return "the image source you named did not deliver a file for this prompt. What it answered:\n  " + answer + "\n" +
           o +
           " runs the one source you named and nothing else: no other tool and no image API was tried, which is "
           "exactly what naming one asks for. It was reachable, so this is not a missing tool or an unconfigured "
           "API: read the reason above, then either fix what it reported or repeat without " +
           o +
           " to let the app walk its default order. Nothing else generates pixels \u2014 report this instead of "
           "drawing it another way.";
}

std::string_view chain_tail(const ExhaustedChain& chain) {
    if (chain.api_tried) return "The registered image API above was the last resort and it did not deliver either.";
    if (chain.registered_api_count != 0) {
        return "The registered image APIs were left out of this chain because a source was named explicitly.";
    }
    return "No image API is registered and active, so nothing followed the local tools: the app embeds OpenRouter, "
           "and an image model marked on the settings media page (with the key pasted there) becomes one. Ask a "
           "person to do that \u2014 an agent cannot.";
}

}  // namespace

std::string exhausted_text(const ExhaustedChain& chain) {
    if (!chain.named_option.empty() && chain.answers.size() == 1) {
        return named_source_text(chain.answers.front(), chain.named_option);
    }
    return "no image source delivered a file for this prompt. What each one answered:\n" +
           numbered_answers(chain.answers) + "\n" + std::string(chain_tail(chain)) +
           "\nEvery local tool above is installed and authenticated, so this is not a missing tool: read the "
           "reasons before deciding what to fix. Nothing else generates pixels \u2014 report this instead of "
           "drawing it another way.";
}

}  // namespace tv
