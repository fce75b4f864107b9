#include "cli/request_body.h"

#include "base/fail.h"
#include "base/white_space.h"
#include "image_tools/local_tools.h"
#include "values/join.h"

#include <algorithm>
#include <span>
#include <utility>

namespace tv {
namespace {

void check_one_of(const ParsedArgs& args, std::string_view option, std::span<const std::string_view> allowed) {
    const std::string* v = args.value(option);
    if (v == nullptr || std::find(allowed.begin(), allowed.end(), *v) != allowed.end()) return;
    fail("invalid --" + std::string(option) + " value \"" + *v + "\"; use one of: " + join(allowed, ", "));
}

void check_image_tool(const ParsedArgs& args) {
    const std::string* v = args.value("tool");
    if (v != nullptr && !is_local_tool_id(*v)) {
        fail("invalid --tool value \"" + *v + "\"\n\n" + local_tool_list());
    }
}

struct BodyWriter {
    Json& body;
    const ParsedArgs& args;

    // The option's value under `member`, or null when it was not given.
    void always(std::string_view option, std::string_view member = {}) {
        const std::string* v = args.value(option);
        body[std::string(member.empty() ? option : member)] = v ? Json(*v) : Json(nullptr);
    }
    void if_present(std::string_view option, std::string_view member = {}) {
        if (const std::string* v = args.value(option)) {
            body[std::string(member.empty() ? option : member)] = *v;
        }
    }
};

}  // namespace

Json split_list(const std::string* text) {
    Json list = Json::array();
    if (text == nullptr) return list;
    std::size_t start = 0;
    while (start <= text->size()) {
        std::size_t comma = text->find(',', start);
        if (comma == std::string::npos) comma = text->size();
        std::string piece = trim_white_space(std::string_view(*text).substr(start, comma - start));
        if (!piece.empty()) list.push_back(std::move(piece));
        start = comma + 1;
    }
    return list;
}

Json build_request_body(std::string_view command, const ParsedArgs& args, std::string_view terminal_name) {
    Json body = Json::object();
    body["command"] = command;
    body["from"] = terminal_name;
    BodyWriter w{body, args};

    if (command == "spawn") {
        check_one_of(args, "cli", cli_ids);
        check_one_of(args, "complexity", complexity_levels);
        w.always("task");
        body["skillIds"] = split_list(args.value("skills"));
        body["mcpIds"] = split_list(args.value("mcps"));
        for (const auto option : {"model", "cli", "effort", "category", "complexity"}) w.if_present(option);
    } else if (command == "send") {
        w.always("to");
        w.always("message");
    } else if (command == "standby" || command == "resume" || command == "close") {
        w.always("terminal");
    } else if (command == "merge") {
        w.if_present("feature", "featureName");
        w.if_present("bump", "versionBump");
        body["toMain"] = args.has_flag("to-main");
    } else if (command == "done") {
        w.always("report");
    } else if (command == "progress") {
        w.if_present("point");
        w.if_present("uncommitted");
        w.if_present("next-step", "nextStep");
        w.if_present("discarded");
    } else if (command == "image") {
        check_image_tool(args);
        body["phase"] = "plan";
        w.always("prompt");
        for (const auto option : {"out", "tool", "model", "api"}) w.if_present(option);
    } else if (command == "video") {
        body["phase"] = "plan";
        w.always("prompt");
        for (const auto option : {"out", "api"}) w.if_present(option);
    } else if (command == "artifact") {
        w.always("path");
        w.if_present("kind");
    } else if (command == "request") {
        w.always("summary");
    } else if (command == "history") {
        for (const auto option : {"project", "day", "task", "panel", "commit"}) w.if_present(option);
    } else if (command == "ack") {
        w.if_present("report", "reportId");
    } else if (command == "note") {
        w.always("text");
        w.if_present("kind");
    } else if (command == "skills") {
        w.always("for", "task");
    } else if (command == "models") {
        check_one_of(args, "cli", cli_ids);
        w.if_present("cli");
    } else if (command == "install-skill") {
        w.always("id");
        w.always("name");
        w.always("description");
        body["tags"] = split_list(args.value("tags"));
        w.always("instructions", "content");
    }
    return body;
}

std::string_view image_named_option(const ParsedArgs& args) {
    constexpr std::pair<std::string_view, std::string_view> naming[] = {
        {"api", "--api"}, {"tool", "--tool"}, {"model", "--model"}};
    for (const auto& [name, option] : naming) {
        if (args.value(name) != nullptr) return option;
    }
    return {};
}

}  // namespace tv
