// A fresh folder for one test, removed afterwards. Named after the test
// process, since ctest runs tests side by side.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>
#include <filesystem>
#include <string>

namespace tvtest {

class ScratchDir {
public:
    explicit ScratchDir(const std::string& name)
        : path_(std::filesystem::path(testing::TempDir()) / (name + "-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace tvtest
