// What the stand-in machine has: the coding CLIs with their models, the
// routing categories with their leaderboard leaders, the built-in skills and
// MCPs and the protocol lines. Fixed data, chosen so that every road of the
// client shows up: a CLI that is not logged in, two that are not installed, a
// category whose leader cannot run here, a model turned off on the setup
// screen, an MCP that is set up for one CLI only.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace devapp {

struct CliInfo {
    std::string_view id;
    std::string_view display_name;
    bool installed;
    bool authenticated;
    std::vector<std::string_view> models;  // the first is the CLI's default
    std::vector<std::string_view> disabled_models;
    std::optional<double> usd_per_million_input;   // none: the provider publishes no price
    std::optional<double> usd_per_million_output;
};

const std::vector<CliInfo>& cli_table();
const CliInfo* find_cli(std::string_view id);
// Empty when the CLI can run a task here; otherwise why not, in words.
std::string cli_unavailable_reason(const CliInfo& cli);
bool accepts_model(const CliInfo& cli, std::string_view model);

inline constexpr std::string_view default_cli_id = "codex";
inline constexpr std::string_view image_runner_cli_id = "codex";

struct Category {
    std::string_view id;
    std::string_view leader_cli;
    std::string_view leader_model;
    std::string_view leader_effort;
    std::optional<double> usd_per_task;
    bool generates_images = false;
    std::string_view profile_reason;      // empty: none
    std::vector<std::string_view> words;  // task words that select it
};

const std::vector<Category>& category_table();
const Category* find_category(std::string_view id);
// The category a task text reads as; "backend" when nothing matches.
const Category& infer_category(std::string_view task);
std::string leader_label(const Category& c);

inline constexpr std::string_view effort_levels[] = {"low", "medium", "high"};
inline constexpr std::string_view complexity_levels[] = {"alta", "media", "baixa"};
std::string infer_complexity(std::string_view task);
std::string_view effort_for_complexity(std::string_view complexity);

struct CatalogEntry {
    std::string kind;  // "skill" or "mcp"
    std::string id;
    std::string name;
    std::string description;
    std::vector<std::string> tags;
    std::string instructions;  // skills installed in this session
};

std::vector<CatalogEntry> builtin_catalog();
// An MCP that only this CLI has set up; empty when every CLI has it.
std::string_view mcp_only_for(std::string_view mcp_id);

// Lower-case words of letters and digits.
std::vector<std::string> words_of(std::string_view text);

std::vector<std::string> protocol_lines(bool orchestrator);

}  // namespace devapp
