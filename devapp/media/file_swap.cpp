#include "media/file_swap.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace devapp {

std::string part_path(const std::string& path) { return path + ".part-" + std::to_string(::getpid()); }

std::string move_into_place(const std::string& part, const std::string& path) {
    if (std::rename(part.c_str(), path.c_str()) == 0) return "";
    const std::string why = std::strerror(errno);
    std::remove(part.c_str());
    return "could not write " + path + ": " + why;
}

}  // namespace devapp
