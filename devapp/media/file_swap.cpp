#include "media/file_swap.h"

#include "hex_text.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>

namespace devapp {
namespace fs = std::filesystem;

namespace {

std::string random_suffix() {
    unsigned char bytes[8];
    if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
        // Only the exclusive create matters for safety; the name just gets guessable.
        const auto t = std::chrono::steady_clock::now().time_since_epoch().count();
        std::memcpy(bytes, &t, sizeof bytes);
    }
    return hex_text(bytes, sizeof bytes);
}

}  // namespace

PartFile::PartFile(const std::string& path, const std::string& folder) : path_(path) {
    const fs::path target(path);
    name_ = target.filename().string();
    if (folder.empty()) {
        const std::string dir = target.parent_path().empty() ? "." : target.parent_path().string();
        dir_fd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir_fd_ < 0) {
            abandon(std::strerror(errno));
            return;
        }
    } else {
        const fs::path below = target.parent_path().lexically_relative(folder);
        if (below.empty() || std::any_of(below.begin(), below.end(), [](const fs::path& p) { return p == ".."; })) {
            abandon("it is not inside the workstation folder " + folder);
            return;
        }
        // Folder by folder, refusing a link that may have appeared since the
        // path was planned.
        dir_fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir_fd_ < 0) {
            abandon(std::strerror(errno));
            return;
        }
        fs::path walked(folder);
        for (const fs::path& part : below) {
            if (part == ".") continue;
            walked /= part;
            const int next = ::openat(dir_fd_, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (next < 0) {
                const int saved = errno;
                struct stat st {};
                const bool link =
                    ::fstatat(dir_fd_, part.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
                abandon(link ? walked.string() + " is a symbolic link, which could lead outside the workstation folder"
                             : std::string(std::strerror(saved)));
                return;
            }
            ::close(dir_fd_);
            dir_fd_ = next;
        }
    }
    int fd = -1;
    for (int tries = 0; fd < 0 && tries < 16; ++tries) {
        part_name_ = name_ + ".part-" + random_suffix();
        fd = ::openat(dir_fd_, part_name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        const int saved = errno;
        part_name_.clear();
        abandon(std::strerror(saved));
        return;
    }
    stream_ = ::fdopen(fd, "wb");
    if (stream_ == nullptr) {
        const int saved = errno;
        ::close(fd);
        abandon(std::strerror(saved));
    }
}

PartFile::~PartFile() {
    if (stream_ != nullptr) std::fclose(stream_);
    discard();
    if (dir_fd_ >= 0) ::close(dir_fd_);
}

std::string PartFile::abandon(const std::string& why) {
    if (stream_ != nullptr) std::fclose(stream_);
    stream_ = nullptr;
    discard();
    error_ = "could not write " + path_ + ": " + why;
    return error_;
}

void PartFile::discard() {
    if (!part_name_.empty()) ::unlinkat(dir_fd_, part_name_.c_str(), 0);
    part_name_.clear();
}

std::string PartFile::move_into_place() {
    if (!error_.empty()) return error_;
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    if (!closed) return abandon(std::strerror(errno));
    // A link or file already at the place is replaced, never written through.
    if (::renameat(dir_fd_, part_name_.c_str(), dir_fd_, name_.c_str()) != 0) return abandon(std::strerror(errno));
    part_name_.clear();
    return "";
}

}  // namespace devapp
