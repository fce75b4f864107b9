#include "catalog.h"

#include <cctype>

namespace devapp {
namespace {

constexpr auto clis = std::to_array<CliInfo>({
    {"claude", "Claude Code", true, true, {"claude-sonnet-4-5", "claude-opus-4-1", "claude-haiku-4-5"}, {}, 3.0, 15.0},
    {"codex", "Codex", true, true, {"gpt-5-codex", "gpt-5", "gpt-5-mini"}, {"gpt-5-mini"}, 1.25, 10.0},
    {"kimi", "Kimi CLI", true, true, {"kimi-k2-turbo", "kimi-k2"}, {}, 0.6, 2.5},
    {"grok", "Grok CLI", true, false, {"grok-code-fast-1"}, {}, 0.2, 1.5},
    {"opencode", "OpenCode", true, true, {"qwen/qwen3-coder", "moonshotai/kimi-k2"}, {}, std::nullopt, std::nullopt},
    {"cursor", "Cursor Agent", false, false, {"composer-1"}, {}, std::nullopt, std::nullopt},
    {"antigravity", "Antigravity", false, false, {"gemini-2.5-pro"}, {}, std::nullopt, std::nullopt},
    {"qwen", "Qwen Code", true, true, {"qwen3-coder-plus"}, {}, 1.0, 5.0},
});

constexpr auto categories = std::to_array<Category>({
    {"backend",
     "codex",
     "gpt-5-codex",
     "high",
     0.42,
     false,
     "",
     {"api", "server", "endpoint", "database", "backend", "sql", "migration", "service"}},
    {"frontend",
     "claude",
     "claude-sonnet-4-5",
     "medium",
     0.35,
     false,
     "",
     {"page", "ui", "css", "component", "layout", "frontend", "button", "form", "screen"}},
    {"tests", "codex", "gpt-5", "medium", 0.18, false, "", {"test", "tests", "unit", "coverage", "flaky", "testing"}},
    {"docs",
     "kimi",
     "kimi-k2-turbo",
     "low",
     0.03,
     false,
     "",
     {"doc", "docs", "document", "readme", "documentation", "changelog", "guide"}},
    {"refactor",
     "claude",
     "claude-opus-4-1",
     "high",
     1.10,
     false,
     "the Balanced profile keeps its most expensive leader for this category only",
     {"refactor", "rename", "cleanup", "architecture", "restructure"}},
    {"review", "cursor", "composer-1", "medium", 0.25, false, "", {"review", "audit"}},
    {"images",
     "codex",
     "gpt-5",
     "low",
     std::nullopt,
     true,
     "",
     {"image", "images", "logo", "icon", "picture", "illustration", "drawing"}},
});

// The narrower kinds of work win over the broad ones, so "write the login
// page tests" reads as tests and not as frontend.
constexpr auto category_priority =
    std::to_array<std::string_view>({"tests", "docs", "review", "images", "refactor", "frontend", "backend"});

struct BuiltinEntry {
    std::string_view kind;  // "skill" or "mcp"
    std::string_view id;
    std::string_view name;
    std::string_view description;
    NameList tags;
};

constexpr auto builtin_entries = std::to_array<BuiltinEntry>({
    {"skill",
     "tdd-loop",
     "Test-first loop",
     "write a failing test, make it pass, then tidy up",
     {"test", "tests", "tdd", "coverage"}},
    {"skill",
     "login-flows",
     "Login flows",
     "session cookies, password reset and rate limits for sign-in pages",
     {"login", "auth", "session", "password"}},
    {"skill",
     "readme-writer",
     "README writer",
     "structure and tone for READMEs and guides",
     {"readme", "docs", "documentation", "guide"}},
    {"skill",
     "css-layout",
     "CSS layout",
     "grid and flexbox recipes for responsive pages",
     {"css", "layout", "page", "ui", "frontend"}},
    {"skill",
     "sql-migrations",
     "SQL migrations",
     "reversible schema changes with data backfills",
     {"sql", "migration", "database", "schema"}},
    {"skill",
     "image-prompting",
     "Image prompting",
     "how to word prompts for the local image tools",
     {"image", "picture", "logo", "icon", "prompt"}},
    {"mcp", "filesystem", "File system", "read and write files outside the worktree", {"files", "filesystem"}},
    {"mcp",
     "browser",
     "Headless browser",
     "drive a browser to check pages and take screenshots",
     {"browser", "page", "ui", "screenshot"}},
    {"mcp", "postgres", "Postgres", "query the local development database", {"sql", "database", "postgres"}},
});

constexpr auto orchestrator_protocol = std::to_array<std::string_view>({
    "run \"tarvolt-ctl brief\" as the first action of every session",
    "record what the user asked with \"tarvolt-ctl request --summary\" before spawning for it",
    "give each subterminal one clear task; look up skills with \"tarvolt-ctl skills --for\"",
    "read reports with \"tarvolt-ctl inbox\" and accept them with \"tarvolt-ctl ack\" before \"tarvolt-ctl merge\"",
    "never run \"tarvolt-ctl merge --to-main\" without the user's explicit authorization",
});

constexpr auto subagent_protocol = std::to_array<std::string_view>({
    "run \"tarvolt-ctl brief\" first; your task is in the ledger (\"tarvolt-ctl status\")",
    "record a marco at each milestone with \"tarvolt-ctl progress --point\"",
    "declare produced files with \"tarvolt-ctl artifact --path\"",
    "commit your work, then finish with \"tarvolt-ctl done --report\"",
});

}  // namespace

std::span<const CliInfo> cli_table() { return clis; }

const CliInfo* find_cli(std::string_view id) {
    for (const auto& c : cli_table()) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

std::string cli_unavailable_reason(const CliInfo& cli) {
    if (!cli.installed) return std::string(cli.id) + " is not installed on this machine";
    if (!cli.authenticated)
        return std::string(cli.id) + " is installed but not logged in (run its login in a terminal)";
    return "";
}

bool accepts_model(const CliInfo& cli, std::string_view model) { return cli.models.contains(model); }

std::span<const Category> category_table() { return categories; }

const Category* find_category(std::string_view id) {
    for (const auto& c : category_table()) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

std::vector<std::string> words_of(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) != 0) {
            word.push_back(static_cast<char>(std::tolower(u)));
        } else if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

const Category& infer_category(std::string_view task) {
    const auto words = words_of(task);
    for (const auto id : category_priority) {
        const Category& c = *find_category(id);
        for (const auto& w : words) {
            if (c.words.contains(w)) return c;
        }
    }
    return *find_category("backend");
}

std::string leader_label(const Category& c) {
    if (c.generates_images) return "grok-imagine (local image tool)";
    return std::string(c.leader_cli) + " " + std::string(c.leader_model) + " " + std::string(c.leader_effort);
}

std::string infer_complexity(std::string_view task) {
    for (const auto& w : words_of(task)) {
        if (w == "architecture" || w == "migrate" || w == "redesign" || w == "rewrite" || w == "security")
            return "alta";
        if (w == "typo" || w == "rename" || w == "small" || w == "tiny" || w == "quick") return "baixa";
    }
    return "media";
}

std::string_view effort_for_complexity(std::string_view complexity) {
    if (complexity == "alta") return "high";
    if (complexity == "baixa") return "low";
    return "medium";
}

std::vector<CatalogEntry> builtin_catalog() {
    std::vector<CatalogEntry> out;
    for (const auto& e : builtin_entries) {
        out.push_back({std::string(e.kind), std::string(e.id), std::string(e.name), std::string(e.description),
                       std::vector<std::string>(e.tags.begin(), e.tags.end()), ""});
    }
    return out;
}

std::string_view mcp_only_for(std::string_view mcp_id) { return mcp_id == "browser" ? "claude" : ""; }

std::span<const std::string_view> protocol_lines(bool orchestrator) {
    if (orchestrator) return orchestrator_protocol;
    return subagent_protocol;
}

}  // namespace devapp
