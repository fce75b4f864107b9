// The workstation journal: one JSON line per change of the ledger.
#pragma once

#include "values/json.h"

#include <string>

namespace devapp {

// Kept in the workstation folder, so that a session can be read afterwards. A
// journal that could not be written once makes every later reply say so.
class Journal {
public:
    explicit Journal(std::string path) : path_(std::move(path)) {}
    void append(const tv::Json& entry);
    bool degraded() const { return degraded_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    bool degraded_ = false;
};

}  // namespace devapp
