#include "output_paths.h"

#include "refusal.h"

#include <filesystem>
#include <system_error>

namespace devapp {
namespace fs = std::filesystem;

namespace {

std::string file_name_part(std::string_view name) {
    std::string out;
    for (const char c : name) {
        const bool plain =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
        out.push_back(plain ? c : '_');
    }
    return out.empty() ? "pane" : out;
}

fs::path inside_folder(const fs::path& base, const std::string& out, std::string_view extension) {
    if (out.empty()) refuse("--out is empty; leave it out for the default place, or name a file");
    if (out.find('\0') != std::string::npos) refuse("--out holds a NUL character");
    fs::path p(out);
    if (p.is_relative()) p = base / p;
    p = p.lexically_normal();
    if (p.extension() != extension) {
        refuse("--out must name a " + std::string(extension) + " file, the kind this source writes: \"" + out + "\"");
    }
    std::error_code ec;
    // Resolving the part that exists catches a symbolic link inside the
    // folder that points out of it.
    const fs::path real = fs::weakly_canonical(p, ec);
    if (ec) refuse("cannot resolve --out \"" + out + "\": " + ec.message());
    const fs::path rel = real.lexically_relative(base);
    const std::string first = rel.empty() ? std::string("..") : rel.begin()->string();
    if (first == ".." || first == "." || first == ".tarvolt") {
        refuse("--out must stay inside the workstation folder " + base.string() + "; \"" + out + "\" leads outside it");
    }
    return real;
}

}  // namespace

std::string plan_output_path(Workstation& ws, const std::optional<std::string>& out, std::string_view folder,
                             std::string_view caller, std::string_view extension) {
    const fs::path base(ws.settings.folder);
    fs::path path;
    if (out) {
        path = inside_folder(base, *out, extension);
    } else {
        const std::string stem = file_name_part(caller) + "-" + file_stamp_text(ws.now());
        path = base / folder / (stem + std::string(extension));
        // Two plans in the same millisecond must not share a file.
        for (int n = 2; ws.planned_outputs.count(path.string()) != 0; ++n) {
            path = base / folder / (stem + "-" + std::to_string(n) + std::string(extension));
        }
    }
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (ec) refuse("could not create the folder " + path.parent_path().string() + ": " + ec.message());
    if (fs::is_directory(path, ec)) refuse(path.string() + " is a folder; name a file with --out");
    ws.planned_outputs.insert(path.string());
    return path.string();
}

bool leads_inside(const std::string& folder, const fs::path& path) {
    std::error_code ec;
    const fs::path real = fs::weakly_canonical(path, ec);
    if (ec) return false;
    const fs::path rel = real.lexically_relative(folder);
    return !rel.empty() && *rel.begin() != "..";
}

}  // namespace devapp
