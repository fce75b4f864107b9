// The command line of tarvolt-devapp.
#pragma once

#include "media_sources.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace devapp {

struct ServeOptions {
    int port = 0;  // 0: any free port
    std::optional<std::string> token;
    std::optional<std::string> folder;
    std::string name = "orchestrator";
    MediaSwitches media;
    bool quiet = false;
    bool background = false;
    // Real panes in tmux instead of simulated ones.
    bool tmux = false;
    std::map<std::string, std::string> cli_commands;  // by CLI id
    std::string orchestrator_command;
    bool keep_panes = false;
};

struct DrawOptions {
    std::string prompt;
    std::string out;
    std::string tool = "grok-imagine";
    std::string model;
    int width = 512;
    int height = 320;
    std::optional<std::string> fail;
    bool stall = false;
};

extern const char* const usage_text;

// Each returns the options, or sets `error` to a sentence for the user.
ServeOptions parse_serve_options(const std::vector<std::string>& args, std::string& error);
DrawOptions parse_draw_options(const std::vector<std::string>& args, std::string& error);

}  // namespace devapp
