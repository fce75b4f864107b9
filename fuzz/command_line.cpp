// Option parsing and the request body on arbitrary arguments: a Failure, or
// a body that is valid JSON holding each given option's last value. The
// first byte picks the command; NUL bytes separate the arguments.
#include "base/fail.h"
#include "base/utf8.h"
#include "check.h"
#include "cli/command_table.h"
#include "cli/request_body.h"
#include "values/json.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The member an option is sent as, when it is not the option's own name.
std::string member_of(std::string_view command, std::string_view option) {
    if (option == "feature") return "featureName";
    if (option == "bump") return "versionBump";
    if (option == "next-step") return "nextStep";
    if (option == "report" && command == "ack") return "reportId";
    if (option == "for") return "task";
    if (option == "instructions") return "content";
    if (option == "skills") return "skillIds";
    if (option == "mcps") return "mcpIds";
    return std::string(option);
}

bool is_list(std::string_view option) { return option == "skills" || option == "mcps" || option == "tags"; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const auto table = tv::command_table();
    const tv::CommandSpec& row = table[data[0] % table.size()];
    std::vector<std::string> arguments;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    for (std::size_t start = 0; start <= rest.size();) {
        std::size_t end = rest.find('\0', start);
        if (end == std::string_view::npos) end = rest.size();
        arguments.emplace_back(rest.substr(start, end - start));
        start = end + 1;
    }
    if (rest.empty()) arguments.clear();

    tv::Json body;
    tv::ParsedArgs args;
    try {
        args = tv::parse_options(row, arguments);
        body = tv::build_request_body(row.name, args, "fuzz-pane");
    } catch (const tv::Failure&) {
        return 0;
    }

    const tv::JsonParse parsed = tv::parse_json(tv::to_compact_text(body));
    FUZZ_CHECK(parsed.value.has_value());
    bool all_utf8 = true;
    for (const std::string& argument : arguments) all_utf8 = all_utf8 && tv::is_valid_utf8(argument);
    // Text that is not UTF-8 is written with replacement characters.
    if (!all_utf8) return 0;
    FUZZ_CHECK(*parsed.value == body);
    FUZZ_CHECK(body["command"] == row.name);
    for (const auto& [option, value] : args.values) {
        const std::string member = member_of(row.name, option);
        FUZZ_CHECK(body.contains(member));
        if (is_list(option)) {
            FUZZ_CHECK(body[member] == tv::split_list(&value));
        } else {
            FUZZ_CHECK(body[member] == value);
        }
    }
    for (const std::string& flag : args.flags) FUZZ_CHECK(body.contains("toMain") && flag == "to-main");
    return 0;
}
