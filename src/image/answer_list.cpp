#include "image/answer_list.h"

#include "base/utf8.h"
#include "base/white_space.h"
#include "values/join.h"

namespace tv {

std::string shorten_answer(std::string_view reason) {
    return cut_with_ellipsis(trim_trailing_white_space(reason), answer_limit);
}

std::string numbered_answers(const std::vector<std::string>& answers) {
    std::string out;
    Joiner lines(out, "\n");
    for (std::size_t k = 0; k < answers.size(); ++k) lines.add("  " + std::to_string(k + 1) + ". " + answers[k]);
    return out;
}

}  // namespace tv
