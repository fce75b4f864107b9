#include "man_pages.h"

#include "base/utf8.h"
#include "values/join.h"

#include <cstdio>

namespace docgen {
namespace {

// Hand-written parts of the page; the commands and their options come
// from the tables.
constexpr std::string_view ctl_name = "tarvolt-ctl - control client for the panes of the tarvolt app";

constexpr std::string_view ctl_description[] = {
    "tarvolt-ctl is the command-line client that coding agents, and the people beside them, run inside the "
    "terminal panes of the tarvolt app. It opens and steers subterminals, records reports and progress, reads "
    "the delegation ledger and the project history, and generates images and videos.",
    "Each command is one JSON request to the app on 127.0.0.1, answered with a fixed text on standard output. "
    "The program keeps no state between runs and has no configuration besides the three environment variables "
    "that the app sets in each pane. Errors go to standard error as one line beginning \"tarvolt-ctl: \".",
    "An option takes the value that follows it; given twice, the last value wins.",
};

constexpr std::pair<std::string_view, std::string_view> environment[] = {
    {"TARVOLT_CTL_PORT", "The TCP port on 127.0.0.1 where the app listens."},
    {"TARVOLT_CTL_TOKEN", "The access token sent with every request."},
    {"TARVOLT_TERMINAL_NAME", "The name of the calling pane, sent as the sender of every request."},
};
constexpr std::string_view environment_after =
    "Outside a pane, where one of them is unset or empty, every command except help and image --list-tools "
    "stops with \"missing VARIABLE; run this inside a tarvolt terminal\".";

constexpr std::pair<std::string_view, std::string_view> exit_statuses[] = {
    {"0",
     "Success: the help text, the image source listing, a command's result, or the path of a generated "
     "image or video was written to standard output."},
    {"1",
     "Any error: a wrong command line, a missing variable, no answer from the app, a refusal by the app, or "
     "nothing generated. The reason is one line on standard error."},
};

constexpr std::string_view files_text[] = {
    "tarvolt-ctl reads no file: there is no configuration file, cache or log.",
    "The image and video commands write the generated file inside the workstation folder, by default "
    "generated-images/TERMINAL-TIMESTAMP.png and generated-videos/TERMINAL-TIMESTAMP.mp4, or at the path given "
    "with --out.",
};

constexpr std::pair<std::string_view, std::string_view> examples[] = {
    {"tarvolt-ctl brief", "The briefing of this workstation; the first action of every session."},
    {"tarvolt-ctl spawn --task \"write the login page tests\" --cli codex --complexity media",
     "Open a subterminal with that task on the codex CLI."},
    {"TARVOLT_TERMINAL_NAME=tests-1 tarvolt-ctl done --report \"tests written\"",
     "Deliver a subagent's report to the orchestrator."},
    {"IMG=$(tarvolt-ctl image --prompt \"a red kite\" --tool codex-image)",
     "Generate one image with a named local tool and keep its path."},
};

constexpr std::string_view devapp_description =
    "tarvolt-devapp stands in for the tarvolt app, a desktop program that is not part of this package: a "
    "stateful copy of its control endpoint on 127.0.0.1, with a simulated workstation in memory and a real "
    "folder on disk for the files it generates. It prints the three variables a pane of the app would have, "
    "then serves until interrupted, so that tarvolt-ctl can be tried on any machine.";

void append_scalar(std::string& out, char32_t c) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "\\[u%04X]", static_cast<unsigned>(c));
    out += buffer;
}

// Text as roff reads it literally: backslashes, minus signs and non-ASCII
// characters escaped, and a leading dot or quote kept from being a request.
std::string roff_text(std::string_view text) {
    std::string out;
    bool line_start = true;
    for (std::size_t pos = 0; pos < text.size();) {
        const char c = text[pos];
        if (line_start && (c == '.' || c == '\'')) out += "\\&";
        line_start = c == '\n';
        if (static_cast<unsigned char>(c) >= 0x80) {
            append_scalar(out, tv::next_lossy_scalar(text, pos));
            continue;
        }
        ++pos;
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
    }
    return out;
}

std::string header(std::string_view title, std::string_view version) {
    return ".TH " + std::string(title) + " 1 \"\" \"tarvolt-ctl " + std::string(version) +
           "\" \"User Commands\"\n.nh\n";
}

std::string section(std::string_view name) { return ".SH " + std::string(name) + "\n"; }

std::string paragraph(std::string_view text) { return ".PP\n" + roff_text(text) + "\n"; }

// A term in bold, its explanation indented below.
std::string tagged(std::string_view term, std::string_view placeholder, std::string_view text) {
    std::string out = ".TP\n\\fB" + roff_text(term) + "\\fR";
    if (!placeholder.empty()) out += " \\fI" + roff_text(placeholder) + "\\fR";
    return out + "\n" + roff_text(text) + "\n";
}

// Lines shown as written, in a fixed-width block.
std::string verbatim(const std::vector<std::string>& lines) {
    std::string out = ".PP\n.nf\n";
    for (const std::string& line : lines) out += roff_text(line) + "\n";
    return out + ".fi\n";
}

std::string option_text(const OptionModel& option) {
    if (!option.takes_value) return "A flag: it takes no value.";
    std::string text = option.required ? "Required." : "Optional.";
    if (option.path) text += " A path.";
    if (!option.choices.empty()) text += " One of: " + tv::join(option.choices, ", ") + ".";
    return text;
}

std::string command_section(const CommandModel& command) {
    std::string out = ".SS " + roff_text(command.name) + "\n" + verbatim(command.synopsis);
    out += paragraph(command.description);
    for (const OptionModel& option : command.options) {
        out += tagged("--" + option.name, option.placeholder, option_text(option));
    }
    return out;
}

}  // namespace

std::string ctl_manual(const std::vector<CommandModel>& commands, std::string_view version) {
    std::string out = header("TARVOLT-CTL", version);
    out += section("NAME") + roff_text(ctl_name) + "\n";
    out += section("SYNOPSIS") + ".B tarvolt-ctl\n.I command\n.RI [ options ]\n.br\n.B tarvolt-ctl help\n";
    out += ".PP\n.I command\nis one of: ";
    for (std::size_t i = 0; i < commands.size(); ++i) {
        out += roff_text(commands[i].name) + (i + 1 < commands.size() ? ", " : ".\n");
    }
    out += section("DESCRIPTION");
    for (const std::string_view text : ctl_description) out += paragraph(text);
    out += section("COMMANDS");
    for (const CommandModel& command : commands) out += command_section(command);
    out += section("ENVIRONMENT");
    for (const auto& [name, text] : environment) out += tagged(name, {}, text);
    out += paragraph(environment_after);
    out += section("EXIT STATUS");
    for (const auto& [status, text] : exit_statuses) out += tagged(status, {}, text);
    out += section("FILES");
    for (const std::string_view text : files_text) out += paragraph(text);
    out += section("EXAMPLES");
    for (const auto& [line, text] : examples) out += paragraph(text) + verbatim({std::string(line)});
    out += section("SEE ALSO") + ".BR tarvolt-devapp (1)\n";
    return out;
}

std::string devapp_manual(std::string_view help_text, std::string_view version) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < help_text.size();) {
        std::size_t end = help_text.find('\n', start);
        if (end == std::string_view::npos) end = help_text.size();
        lines.emplace_back(help_text.substr(start, end - start));
        start = end + 1;
    }
    std::string out = header("TARVOLT-DEVAPP", version);
    out += section("NAME") + roff_text("tarvolt-devapp - a stand-in for the tarvolt app, to try tarvolt-ctl") + "\n";
    out += section("SYNOPSIS") + ".B tarvolt-devapp\n.RI [ options ]\n";
    out += section("DESCRIPTION") + paragraph(devapp_description);
    out += section("OPTIONS") + verbatim(lines);
    out += section("SEE ALSO") + ".BR tarvolt-ctl (1)\n";
    return out;
}

}  // namespace docgen
