// Real panes: each terminal is a window of a tmux server of our own, on a
// private socket, so the user's own tmux sessions are never touched.
#pragma once

#include "pane_host.h"

#include <map>
#include <memory>
#include <string>

namespace devapp {

struct TmuxSetup {
    std::string tmux;                                 // the program's absolute path
    std::string folder;                               // the workstation folder, where every pane starts
    std::string session;                              // named after the workstation
    std::string orchestrator;                         // the first window's terminal name
    std::string orchestrator_command;                 // empty: the user's shell
    std::map<std::string, std::string> cli_commands;  // by CLI id; {model} and {effort} filled in
};

std::unique_ptr<PaneHost> tmux_panes(TmuxSetup setup);

// A tmux session name made of the workstation's name.
std::string tmux_session_name(const std::string& workstation);

}  // namespace devapp
