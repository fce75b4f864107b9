#include "journal.h"

#include <cstdio>

namespace devapp {

void Journal::append(const tv::Json& entry) {
    const std::string line = tv::to_compact_text(entry) + "\n";
    std::FILE* f = std::fopen(path_.c_str(), "ae");
    if (f == nullptr) {
        degraded_ = true;
        return;
    }
    const bool written = std::fwrite(line.data(), 1, line.size(), f) == line.size();
    if (std::fclose(f) != 0 || !written) degraded_ = true;
}

}  // namespace devapp
