// Texts with a separator between them: the one way every list is joined.
#pragma once

#include <string>
#include <string_view>

namespace tv {

// Appends pieces to `out` with `separator` before every piece but the first.
class Joiner {
public:
    Joiner(std::string& out, std::string_view separator) : out_(out), separator_(separator) {}

    // `out` with the separator in place, ready for the next piece.
    std::string& next() {
        if (!first_) out_ += separator_;
        first_ = false;
        return out_;
    }
    void add(std::string_view piece) { next() += piece; }

private:
    std::string& out_;
    std::string_view separator_;
    bool first_ = true;
};

template <class Pieces>
std::string join(const Pieces& pieces, std::string_view separator) {
    std::string out;
    Joiner joiner(out, separator);
    for (const auto& piece : pieces) joiner.add(piece);
    return out;
}

}  // namespace tv
