#include "cli/run_main.h"

#include "base/fail.h"
#include "base/output.h"
#include "base/utf8.h"
#include "cli/caller_env.h"
#include "cli/command_table.h"
#include "cli/request_body.h"
#include "cli/usage_text.h"
#include "http_client/reply.h"
#include "image/image_command.h"
#include "image_tools/source_listing.h"
#include "render/render.h"
#include "values/output_frame.h"
#include "video/video_command.h"

#include <algorithm>
#include <csignal>
#include <string>
#include <vector>

namespace tv {
namespace {

void check_arguments_are_text(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (!is_valid_utf8(args[i])) {
            fail("argument " + std::to_string(i + 1) + " is not valid UTF-8: \"" + utf8_lossy(args[i]) + "\"");
        }
    }
}

std::string value_or_empty(const ParsedArgs& args, std::string_view name) {
    const std::string* value = args.value(name);
    return value != nullptr ? *value : std::string();
}

void run(const std::vector<std::string>& args) {
    if (args.empty()) fail("missing command\n\n" + std::string(usage_text));
    check_arguments_are_text(args);
    const std::string& first = args.front();
    if (std::find(help_words.begin(), help_words.end(), first) != help_words.end()) {
        write_stdout(std::string(usage_text) + "\n");
        return;
    }
    if (first == "image" && std::find(args.begin(), args.end(), "--list-tools") != args.end()) {
        write_stdout(list_image_sources(read_caller_env_if_set()) + "\n");
        return;
    }
    const CommandSpec* command = find_command(first);
    if (command == nullptr) fail("unknown command \"" + first + "\"\n\n" + std::string(usage_text));
    const ParsedArgs parsed = parse_options(*command, std::span(args).subspan(1));
    const CallerEnv env = read_caller_env();

    Json body = build_request_body(command->name, parsed, env.terminal_name);
    if (command->name == "image") {
        return run_image_command({std::move(body), value_or_empty(parsed, "prompt"), image_named_option(parsed)}, env);
    }
    if (command->name == "video") return run_video_command({std::move(body), value_or_empty(parsed, "prompt")}, env);

    JsonTree reply = request_or_fail(env, to_compact_text(body));
    write_result(renderer_for(command->name)(reply), reply);
    // The process is about to end; freeing a big tree piece by piece first
    // would only cost time.
    reply.keep_until_exit();
}

}  // namespace

int run_main(int argc, char** argv) {
    // A closed pipe or socket must be an error result, not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    try {
        run(args);
        return 0;
    } catch (const Failure& f) {
        warn(f.message);
        return 1;
    } catch (const std::exception& e) {
        // Nothing is known to get here; if something does (memory running
        // out on a giant reply, say), it still ends as a sentence, not a crash.
        warn(std::string("internal error: ") + e.what());
        return 1;
    }
}

}  // namespace tv
