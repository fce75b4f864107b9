#include "base/white_space.h"
#include "cli/command_table.h"
#include "cli/request_body.h"
#include "cli/usage_text.h"
#include "image_tools/local_tools.h"
#include "render/render.h"
#include "support/outcome.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

const std::string usage = "\n\n" + std::string(usage_text);
const std::string clis = "; use one of: claude, codex, kimi, grok, opencode, cursor, antigravity, qwen";

// The compact body for the arguments, or the failure message.
std::string outcome(std::vector<std::string> args) {
    const CommandSpec& row = *find_command(args.at(0));
    return tvtest::result_or_failure([&] {
        return to_compact_text(
            build_request_body(row.name, parse_options(row, std::span(args).subspan(1)), "orchestrator"));
    });
}

TEST(CommandLine, BuildsBodiesInWireOrder) {
    // The members after the command and the caller.
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"spawn", "--complexity", "alta", "--category", "c", "--effort", "e", "--cli", "qwen", "--model", "m",
          "--mcps", ",x,,y ,", "--task", "t", "--skills", ""},
         R"(,"task":"t","skillIds":[],"mcpIds":["x","y"],"model":"m","cli":"qwen","effort":"e","category":"c","complexity":"alta")"},
        {{"send", "--to", "--message", "--message", "hi"}, R"(,"to":"--message","message":"hi")"},
        {{"note", "--text", "a", "--text", "b"}, R"(,"text":"b")"},
        {{"merge", "--to-main", "--to-main"}, R"(,"toMain":true)"},
        {{"merge", "--bump", "minor", "--feature", "f"}, R"(,"featureName":"f","versionBump":"minor","toMain":false)"},
        {{"progress", "--discarded", "d", "--next-step", "", "--point", "p"},
         R"(,"point":"p","nextStep":"","discarded":"d")"},
        {{"ack"}, ""},
        {{"ack", "--report", "r1"}, R"(,"reportId":"r1")"},
        {{"history", "--day", "3", "--project", "/p"}, R"(,"project":"/p","day":"3")"},
        {{"image", "--api", "a", "--prompt", "a \"red\" kite\n", "--tool", "codex-image", "--out", "k.png"},
         R"(,"phase":"plan","prompt":"a \"red\" kite\n","out":"k.png","tool":"codex-image","api":"a")"},
        {{"video", "--api", "a", "--out", "v.mp4", "--prompt", "p"},
         R"(,"phase":"plan","prompt":"p","out":"v.mp4","api":"a")"},
        {{"artifact", "--kind", "image", "--path", "/a.png"}, R"(,"path":"/a.png","kind":"image")"},
        {{"skills", "--for", "login page"}, R"(,"task":"login page")"},
        {{"models"}, ""},
        {{"models", "--cli", "kimi"}, R"(,"cli":"kimi")"},
        {{"install-skill", "--instructions", "do", "--description", "d", "--name", "n", "--id", "i", "--tags",
          "t1,\u00a0t2\u3000"},
         R"(,"id":"i","name":"n","description":"d","tags":["t1","t2"],"content":"do")"},
        {{"standby", "--terminal", "caf\u00e9"}, ",\"terminal\":\"caf\u00e9\""}};
    for (const auto& [args, members] : cases)
        EXPECT_EQ(outcome(args), R"({"command":")" + args[0] + R"(","from":"orchestrator")" + members + "}") << args[0];
}

TEST(CommandLine, RefusesWithExactSentences) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"send", "--to", "a", "--message"}, "the option \"--message\" requires a value"},
        {{"merge", "--to-main", "yes"}, "unexpected argument \"yes\"" + usage},
        {{"list", "--task", "x"}, "unknown option \"--task\" for the command \"list\"" + usage},
        {{"list", ""}, "unexpected argument \"\"" + usage},
        {{"list", "-"}, "unexpected argument \"-\"" + usage},
        {{"list", "--"}, "unknown option \"--\" for the command \"list\"" + usage},
        {{"spawn", "--task=x"}, "unknown option \"--task=x\" for the command \"spawn\"" + usage},
        {{"send", "--message", "m"}, "the command \"send\" requires --to" + usage},
        {{"install-skill", "--id", "i", "--name", "n"}, "the command \"install-skill\" requires --description" + usage},
        {{"spawn", "--task", "t", "--cli", "Codex", "--complexity", "x"}, "invalid --cli value \"Codex\"" + clis},
        {{"spawn", "--task", "t", "--complexity", "Alta"},
         "invalid --complexity value \"Alta\"; use one of: alta, media, baixa"},
        {{"models", "--cli", ""}, "invalid --cli value \"\"" + clis},
        {{"image", "--prompt", "p", "--tool", "dall-e"}, "invalid --tool value \"dall-e\"\n\n" + local_tool_list()}};
    for (const auto& [args, message] : cases) EXPECT_EQ(outcome(args), "fail: " + message) << args[0];
}

// Every command but the two media ones has a renderer for its reply.
TEST(CommandLine, TableHasEveryCommandOnce) {
    EXPECT_EQ(command_table().size(), 23u);
    for (const auto& row : command_table()) {
        EXPECT_EQ(find_command(row.name), &row);
        EXPECT_EQ(renderer_for(row.name) == nullptr, row.name == "image" || row.name == "video") << row.name;
    }
}

TEST(UsageText, IsPinned) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;  // FNV-1a
    for (const unsigned char c : usage_text) hash = (hash ^ c) * 0x100000001b3ULL;
    EXPECT_EQ(hash, 0x764dda2ebcc64f0aULL);
}

TEST(TrimWhiteSpace, UsesTheWholeUnicodeSet) {
    const std::pair<std::string, std::string> cases[] = {
        {"\t\n\v\f\r x \u0085\u00a0\u1680\u2000\u200a\u2028\u2029\u202f\u205f\u3000", "x"},
        {"\ufeffx\ufeff", "\ufeffx\ufeff"},
        {"\u200bx", "\u200bx"},
        {" a \u3000 b ", "a \u3000 b"},
        {"   ", ""},
        {"", ""}};
    for (const auto& [text, trimmed] : cases) EXPECT_EQ(trim_white_space(text), trimmed) << text;
    EXPECT_EQ(trim_trailing_white_space("  a\u00a0\n"), "  a");
}

}  // namespace
}  // namespace tv
