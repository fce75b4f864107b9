// What the stand-in machine has: CLIs and models, routing categories, skills and MCPs.
#pragma once

#include "name_list.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace devapp {

// Fixed data, chosen so that every road of the client shows up: a CLI that is
// not logged in, two that are not installed, a category whose leader cannot
// run here, a model turned off on the setup screen, an MCP that is set up for
// one CLI only.

struct CliInfo {
    std::string_view id;
    std::string_view display_name;
    bool installed;
    bool authenticated;
    NameList models;  // the first is the CLI's default
    NameList disabled_models;
    std::optional<double> usd_per_million_input;  // none: the provider publishes no price
    std::optional<double> usd_per_million_output;
};

std::span<const CliInfo> cli_table();
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
    std::string_view profile_reason;  // empty: none
    NameList words;                   // task words that select it
};

std::span<const Category> category_table();
const Category* find_category(std::string_view id);
// The category a task text reads as; "backend" when nothing matches.
const Category& infer_category(std::string_view task);
std::string leader_label(const Category& c);

inline constexpr std::array<std::string_view, 3> effort_levels = {"low", "medium", "high"};
inline constexpr std::array<std::string_view, 3> complexity_levels = {"alta", "media", "baixa"};
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

// The catalog a session starts with; install-skill adds to it.
std::vector<CatalogEntry> builtin_catalog();
// An MCP that only this CLI has set up; empty when every CLI has it.
std::string_view mcp_only_for(std::string_view mcp_id);

// Lower-case words of letters and digits.
std::vector<std::string> words_of(std::string_view text);

std::span<const std::string_view> protocol_lines(bool orchestrator);

}  // namespace devapp
