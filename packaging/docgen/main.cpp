// Writes the manual pages and the shell completions from the program's own
// tables, at build time, so that they cannot drift from the program.
// Usage: tarvolt-docgen VERSION OUTPUT_FOLDER [DEVAPP_HELP_FILE]
#include "command_model.h"
#include "completions.h"
#include "man_pages.h"

#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

void write_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in) throw std::runtime_error("cannot read " + path);
    return text.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::cerr << "usage: tarvolt-docgen VERSION OUTPUT_FOLDER [DEVAPP_HELP_FILE]\n";
        return 2;
    }
    try {
        const std::string version = argv[1], folder = std::string(argv[2]) + "/";
        const auto commands = docgen::command_models();
        write_file(folder + "tarvolt-ctl.1", docgen::ctl_manual(commands, version));
        write_file(folder + "tarvolt-ctl.bash", docgen::bash_completion(commands));
        write_file(folder + "_tarvolt-ctl", docgen::zsh_completion(commands));
        write_file(folder + "tarvolt-ctl.fish", docgen::fish_completion(commands));
        if (argc == 4) write_file(folder + "tarvolt-devapp.1", docgen::devapp_manual(read_file(argv[3]), version));
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "tarvolt-docgen: " << e.what() << "\n";
        return 1;
    }
}
