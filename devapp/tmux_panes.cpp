#include "tmux_panes.h"

#include "child_run.h"
#include "refusal.h"
#include "shell_quote.h"
#include "temp_root.h"
#include "workstation.h"

#include <stdlib.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace devapp {
namespace {

namespace fs = std::filesystem;

constexpr std::chrono::milliseconds tmux_limit{5000};

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string first_line(const std::string& text) {
    const std::string line = text.substr(0, text.find('\n'));
    return line.empty() ? "no reason given" : line;
}

class TmuxPanes final : public PaneHost {
public:
    explicit TmuxPanes(TmuxSetup setup) : setup_(std::move(setup)), hidden_(setup_.session + "-standby") {}

    std::string start(int port, const std::string& token) override {
        std::string pattern = temp_root() + "/tarvolt-tmux-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("could not make a folder for tmux's socket");
        dir_ = pattern;
        socket_ = dir_ + "/socket";
        env_ = {"-e", "TARVOLT_CTL_PORT=" + std::to_string(port), "-e", "TARVOLT_CTL_TOKEN=" + token};
        // A fixed configuration, not the user's: a finished command keeps its
        // window, so its last output can be read.
        std::ofstream(dir_ + "/tmux.conf") << "set -g remain-on-exit on\nset -g history-limit 10000\n";
        std::vector<std::string> args = {
            "-f", dir_ + "/tmux.conf", "new-session", "-d",          "-P", "-F",  "#{window_id}", "-s", setup_.session,
            "-n", setup_.orchestrator, "-c",          setup_.folder, "-x", "160", "-y",           "48"};
        add_env(args, setup_.orchestrator);
        if (!setup_.orchestrator_command.empty()) args.push_back(setup_.orchestrator_command);
        // Panes in standby wait in a second session that nobody attaches to.
        args.insert(args.end(), {";", "new-session", "-d", "-s", hidden_, "-n", "standby", "-c", setup_.folder});
        const ChildResult r = tmux(args);
        if (r.status != 0) {
            std::error_code ignored;
            fs::remove_all(dir_, ignored);
            throw std::runtime_error("could not start tmux: " + failure(r));
        }
        started_ = true;
        windows_[setup_.orchestrator] = r.out.substr(0, r.out.find('\n'));
        return "# watch the panes: " + setup_.tmux + " -S " + shell_word(socket_) + " attach -t " +
               shell_word("=" + setup_.session);
    }

    void stop(bool keep) override {
        if (!started_) return;
        if (keep) {
            std::fprintf(stderr, "tarvolt-devapp: the panes keep running; end them with %s -S %s kill-server\n",
                         setup_.tmux.c_str(), shell_word(socket_).c_str());
            return;
        }
        tmux({"kill-server"});
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    void open(const Terminal& pane, const std::string& task) override {
        std::vector<std::string> args = {
            "new-window", "-d",      "-P", "-F",         "#{window_id}", "-t", "=" + setup_.session + ":",
            "-n",         pane.name, "-c", setup_.folder};
        add_env(args, pane.name);
        const auto command = setup_.cli_commands.find(pane.cli);
        if (command != setup_.cli_commands.end()) {
            args.push_back(replaced(replaced(command->second, "{model}", shell_quote(pane.model)), "{effort}",
                                    shell_quote(pane.effort)));
        }
        const ChildResult r = tmux(args);
        const std::string id = r.out.substr(0, r.out.find('\n'));
        if (r.status != 0 || id.empty() || id[0] != '@') {
            refuse("the spawn was refused before opening a terminal: tmux could not open a window: " + failure(r));
        }
        windows_[pane.name] = id;
        // A command that ended at once leaves its window with its last
        // output; the next look reports it as exited.
        try {
            paste(pane, task);
        } catch (const Refusal&) {
            end(pane);
            throw;
        }
    }

    void type(const Terminal& pane, const std::string& text) override {
        if (!paste(pane, text)) {
            refuse("the command in \"" + pane.name +
                   "\" has exited; its window keeps its last output until it is closed");
        }
    }

    void hide(const Terminal& pane) override { move(pane, hidden_, "standby"); }
    void show(const Terminal& pane) override { move(pane, setup_.session, "resume"); }

    void end(const Terminal& pane) override {
        const auto w = windows_.find(pane.name);
        if (w == windows_.end()) return;
        tmux({"kill-window", "-t", w->second});
        windows_.erase(w);
    }

    std::map<std::string, PaneLife> look() override {
        std::map<std::string, PaneLife> lives;
        if (windows_.empty()) return lives;
        const ChildResult r = tmux({"list-panes", "-a", "-F", "#{window_id} #{pane_dead}"});
        // A server killed from outside took every window with it; any other
        // failure tells nothing, and no news is better than false news.
        const bool no_server =
            r.err.find("no server running") != std::string::npos || r.err.find("error connecting") != std::string::npos;
        if (r.status != 0 && !no_server) return lives;
        std::map<std::string, bool> dead;
        std::istringstream lines(r.out);
        std::string id, flag;
        while (lines >> id >> flag) dead[id] = flag == "1";
        for (auto w = windows_.begin(); w != windows_.end();) {
            const auto seen = dead.find(w->second);
            if (seen == dead.end()) {
                lives[w->first] = PaneLife::gone;
                w = windows_.erase(w);
                continue;
            }
            lives[w->first] = seen->second ? PaneLife::exited : PaneLife::alive;
            ++w;
        }
        return lives;
    }

private:
    ChildResult tmux(std::vector<std::string> args) const {
        args.insert(args.begin(), {setup_.tmux, "-S", socket_});
        // A stand-in started inside tmux must not steer the user's server.
        return run_child(args, {"TMUX", "TMUX_PANE"}, tmux_limit);
    }

    // False when the pane's command has ended and nothing was typed.
    bool paste(const Terminal& pane, const std::string& text) {
        const std::string& id = window_of(pane);
        // The text goes through a file in our private folder and a tmux
        // buffer, never through keys on a command line, so any byte arrives
        // as written.
        const std::string file = dir_ + "/typed";
        {
            std::ofstream f(file, std::ios::binary | std::ios::trunc);
            f.write(text.data(), static_cast<std::streamsize>(text.size()));
            if (!f)
                refuse("could not pass the text to tmux: the stand-in's private folder " + dir_ + " is not writable");
        }
        // Pasting into a pane whose command has ended brings the whole tmux
        // server down (3.3a), so the server itself checks first.
        const ChildResult r = tmux({"load-buffer", "-b", "tarvolt", file, ";", "if-shell", "-F", "-t", id,
                                    "#{pane_dead}", "delete-buffer -b tarvolt ; display-message -p dead",
                                    "paste-buffer -d -p -b tarvolt -t " + id + " ; send-keys -t " + id + " Enter"});
        std::error_code ignored;
        fs::remove(file, ignored);
        if (r.status != 0) refuse("could not type into the pane \"" + pane.name + "\": " + failure(r));
        return r.out.find("dead") == std::string::npos;
    }

    void add_env(std::vector<std::string>& args, const std::string& name) const {
        args.insert(args.end(), env_.begin(), env_.end());
        args.insert(args.end(), {"-e", "TARVOLT_TERMINAL_NAME=" + name});
    }

    const std::string& window_of(const Terminal& pane) const {
        const auto w = windows_.find(pane.name);
        if (w == windows_.end()) refuse("the pane \"" + pane.name + "\" has no window any more");
        return w->second;
    }

    void move(const Terminal& pane, const std::string& session, const char* step) {
        const ChildResult r = tmux({"move-window", "-d", "-s", window_of(pane), "-t", "=" + session + ":"});
        if (r.status != 0) refuse("could not " + std::string(step) + " the pane \"" + pane.name + "\": " + failure(r));
    }

    static std::string failure(const ChildResult& r) {
        if (r.timed_out) return "tmux did not answer within " + std::to_string(tmux_limit.count() / 1000) + " s";
        return first_line(r.err);
    }

    TmuxSetup setup_;
    std::string hidden_;
    std::string dir_, socket_;
    std::vector<std::string> env_;
    std::map<std::string, std::string> windows_;  // terminal name to window id, which moves keep
    bool started_ = false;
};

}  // namespace

std::unique_ptr<PaneHost> tmux_panes(TmuxSetup setup) { return std::make_unique<TmuxPanes>(std::move(setup)); }

std::string tmux_session_name(const std::string& workstation) {
    // tmux reads '.' and ':' in a target as window and pane separators.
    std::string name = workstation.empty() ? "workstation" : workstation;
    for (char& c : name) {
        if (c == '.' || c == ':' || static_cast<unsigned char>(c) < 0x20) c = '_';
    }
    return name;
}

}  // namespace devapp
