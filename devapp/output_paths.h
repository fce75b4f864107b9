// Where a generated file goes: a new name in the workstation folder, or the caller's --out.
#pragma once

#include "workstation.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace devapp {

// Creates the file's folder and remembers the path as planned, the only
// kind of path an API job may later write. Refuses an --out that leaves the
// workstation folder (symbolic links included) or has another extension.
std::string plan_output_path(Workstation& ws, const std::optional<std::string>& out, std::string_view folder,
                             std::string_view caller, std::string_view extension);

// Whether `path` stays inside the workstation folder once symbolic links are
// resolved; a path that cannot be resolved does not.
bool leads_inside(const std::string& folder, const std::filesystem::path& path);

}  // namespace devapp
