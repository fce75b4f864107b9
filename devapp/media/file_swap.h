// A media file is written under a fresh name beside its place, then moved in whole.
#pragma once

#include <cstdio>
#include <string>

namespace devapp {

// The file being written. Its name is new and unguessable, and it is created
// exclusively without following a symbolic link, so a link planted beside the
// place cannot redirect the write. A client polling for the file never sees
// half of it.
class PartFile {
public:
    // With a `folder`, every folder between it and the path must be a real
    // folder, not a symbolic link, so the file cannot land outside it.
    explicit PartFile(const std::string& path, const std::string& folder = "");
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    // Empty once open; else what went wrong, as "could not write {path}: ...".
    const std::string& error() const { return error_; }
    // Null unless open.
    std::FILE* stream() const { return stream_; }
    // Closes the part and renames it to the path; empty text, or what went
    // wrong (the part is then removed).
    std::string move_into_place();
    // Removes the part after a failed write; returns what went wrong.
    std::string abandon(const std::string& why);

private:
    void discard();

    std::string path_;
    std::string name_;       // the path's last part
    std::string part_name_;  // the part's name beside it
    int dir_fd_ = -1;
    std::FILE* stream_ = nullptr;
    std::string error_;
};

}  // namespace devapp
