#include "options.h"

#include "catalog.h"
#include "values/join.h"

#include <algorithm>
#include <charconv>

namespace devapp {

const char* const usage_text =
    R"(usage: tarvolt-devapp [options]            serve a stand-in tarvolt app on 127.0.0.1
       tarvolt-devapp draw --prompt "..." --out <file.png> [--tool <id>] [--model <id>] [--size WxH]
       tarvolt-devapp --help

A stateful stand-in of the tarvolt app's control endpoint, for trying
tarvolt-ctl and developing agents' prompts on a machine without the app. It
prints three export lines for the client (eval them, or paste them into
another terminal), then serves until Ctrl-C or SIGTERM.

options:
  --port <n>         listen on this port (default: a free one)
  --token <text>     the access token panes must send (default: a random one)
  --dir <folder>     the workstation folder, made if missing; generated files
                     land in it (default: a fresh folder under $TMPDIR or /tmp)
  --name <name>      the orchestrator pane's name (default: orchestrator)
  --background       serve from a background process and return at once; the
                     output adds TARVOLT_DEVAPP_PID, stop it with kill
  --quiet            nothing on stderr but errors (no line per request)
  --job-polls <n>    polls a simulated API job takes before it delivers (default 2)
  --poll-ms <ms>     the video APIs' polling cadence, handed out in the plans
                     (default 1000); closer polls do not count

real panes (needs tmux):
  --panes tmux       every pane is a window of a private tmux server running a
                     real command, in a session named after the workstation;
                     the output adds the command that attaches to it
                     (default: --panes simulated, rows in memory)
  --cli-command <id>=<command>
                     what a pane spawned on that CLI runs, through the shell;
                     {model} and {effort} are filled in, quoted (repeatable;
                     default: the user's shell)
  --orchestrator-command <command>
                     what the orchestrator's window runs (default: the shell)
  --keep-panes       leave the tmux server running when the app stops

roads that fail, to watch the client's fallbacks and final messages:
  --fail <id>        that source fails: a local tool exits with an error, an
                     API declines the prompt (repeatable)
  --stall <id>       that source never finishes: a local tool hangs past its
                     2 s limit, an API job stays queued past a limit of 0
                     (the client adds its own grace) (repeatable)
  --no-video-apis    no video API is registered
  source ids: grok-imagine, codex-image, antigravity-gemini (not installed),
              sim-image, sim-video, sim-video-hd

draw is the local drawing tool that the image plans run: it writes a PNG
whose picture follows the prompt.)";

namespace {

bool to_int(const std::string& text, int& out) {
    const char* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && p == end && !text.empty();
}

// Walks "--name value" pairs and flags; `take` handles one option.
template <typename Take>
void walk(const std::vector<std::string>& args, std::string& error, Take take) {
    for (std::size_t i = 0; i < args.size() && error.empty(); ++i) {
        const std::string& a = args[i];
        const std::string* value = i + 1 < args.size() ? &args[i + 1] : nullptr;
        const int used = take(a, value);
        if (used < 0) {
            error = "unknown option \"" + a + "\"; see tarvolt-devapp --help";
        } else if (used == 1 && value == nullptr) {
            error = "the option \"" + a + "\" needs a value";
        } else {
            i += static_cast<std::size_t>(used);
        }
    }
}

void take_pane_option(ServeOptions& o, const std::string& a, const std::string& v, std::string& error) {
    if (a == "--panes") {
        if (v != "tmux" && v != "simulated") error = "--panes takes tmux or simulated";
        o.tmux = v == "tmux";
    } else if (a == "--orchestrator-command") {
        o.orchestrator_command = v;
    } else {
        const auto eq = v.find('=');
        const std::string id = v.substr(0, eq);
        if (eq == std::string::npos || find_cli(id) == nullptr) {
            std::string ids;
            tv::Joiner id_list(ids, ", ");
            for (const auto& c : cli_table()) id_list.add(c.id);
            error = "--cli-command takes <id>=<command> with a CLI id (" + ids + ")";
        } else {
            o.cli_commands[id] = v.substr(eq + 1);
        }
    }
}

}  // namespace

ServeOptions parse_serve_options(const std::vector<std::string>& args, std::string& error) {
    ServeOptions o;
    const std::vector<std::string> ids = all_source_ids();
    walk(args, error, [&](const std::string& a, const std::string* v) -> int {
        if (a == "--quiet" || a == "--background" || a == "--no-video-apis") {
            (a == "--quiet" ? o.quiet : a == "--background" ? o.background : o.media.no_video_apis) = true;
            return 0;
        }
        if (a == "--keep-panes") {
            o.keep_panes = true;
            return 0;
        }
        if (a == "--panes" || a == "--cli-command" || a == "--orchestrator-command") {
            if (v != nullptr) take_pane_option(o, a, *v, error);
            return 1;
        }
        if (a != "--port" && a != "--token" && a != "--dir" && a != "--name" && a != "--fail" && a != "--stall" &&
            a != "--job-polls" && a != "--poll-ms") {
            return -1;
        }
        if (v == nullptr) return 1;
        if (a == "--port" && (!to_int(*v, o.port) || o.port < 0 || o.port > 65535))
            error = "--port takes a number from 0 to 65535";
        if (a == "--token") {
            if (v->empty() || v->find_first_of("\r\n") != std::string::npos)
                error = "--token takes a non-empty text on one line";
            o.token = *v;
        }
        if (a == "--dir") o.folder = *v;
        if (a == "--name") {
            if (v->empty() || v->find_first_of("\r\n") != std::string::npos)
                error = "--name takes a non-empty name on one line";
            o.name = *v;
        }
        if (a == "--fail" || a == "--stall") {
            if (std::find(ids.begin(), ids.end(), *v) == ids.end()) {
                error = "unknown source id \"" + *v + "\" for " + a + "; see tarvolt-devapp --help";
            }
            (a == "--fail" ? o.media.failing : o.media.stalling).insert(*v);
        }
        if (a == "--job-polls" &&
            (!to_int(*v, o.media.job_polls) || o.media.job_polls < 1 || o.media.job_polls > 100)) {
            error = "--job-polls takes a number from 1 to 100";
        }
        if (a == "--poll-ms" &&
            (!to_int(*v, o.media.video_poll_ms) || o.media.video_poll_ms < 1 || o.media.video_poll_ms > 600000)) {
            error = "--poll-ms takes a number of milliseconds from 1 to 600000";
        }
        return 1;
    });
    const bool pane_options = !o.cli_commands.empty() || !o.orchestrator_command.empty() || o.keep_panes;
    if (error.empty() && pane_options && !o.tmux) {
        error = "--cli-command, --orchestrator-command and --keep-panes go with --panes tmux";
    }
    return o;
}

DrawOptions parse_draw_options(const std::vector<std::string>& args, std::string& error) {
    DrawOptions o;
    bool have_prompt = false;
    walk(args, error, [&](const std::string& a, const std::string* v) -> int {
        if (a == "--stall") {
            o.stall = true;
            return 0;
        }
        if (a != "--prompt" && a != "--out" && a != "--tool" && a != "--model" && a != "--size" && a != "--fail")
            return -1;
        if (v == nullptr) return 1;
        if (a == "--prompt") o.prompt = *v, have_prompt = true;
        if (a == "--out") o.out = *v;
        if (a == "--tool") o.tool = *v;
        if (a == "--model") o.model = *v;
        if (a == "--fail") o.fail = *v;
        if (a == "--size") {
            const auto x = v->find('x');
            if (x == std::string::npos || !to_int(v->substr(0, x), o.width) || !to_int(v->substr(x + 1), o.height) ||
                o.width < 1 || o.height < 1 || o.width > 4096 || o.height > 4096) {
                error = "--size takes WxH, each from 1 to 4096";
            }
        }
        return 1;
    });
    if (error.empty() && !have_prompt) error = "draw needs --prompt";
    if (error.empty() && o.out.empty()) error = "draw needs --out";
    return o;
}

}  // namespace devapp
