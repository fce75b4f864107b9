#include "render/merge_models_skills.h"

#include "render/render.h"
#include "support/replies.h"

#include <gtest/gtest.h>

#include <string>

namespace tv {
namespace {

using tvtest::failure;
using tvtest::rendered;

struct Case {
    const char* reply;
    std::string expected;  // the body, or the failure message
};

void expect_bodies(Renderer render, std::initializer_list<Case> cases) {
    for (const Case& c : cases) EXPECT_EQ(rendered(render, c.reply), c.expected) << c.reply;
}

void expect_failures(Renderer render, std::initializer_list<Case> cases) {
    for (const Case& c : cases) EXPECT_EQ(failure(render, c.reply), c.expected) << c.reply;
}

const std::string undefined_length = "Cannot read properties of undefined (reading 'length')";
const std::string null_length = "Cannot read properties of null (reading 'length')";

TEST(MergeRenderer, PicksTheVariantByExactOutcome) {
    expect_bodies(render_merge, {
        {R"({"outcome": "nothing-to-integrate", "detail": "main already has it", "folderPath": "/w"})",
         "nothing to integrate: main already has it (folder: /w)"},
        {R"({"outcome": "feature-published", "featureBranch": "feat/x", "headCommit": "abc", "folderPath": "/w",
             "detail": "pushed to origin\nopen a pull request\n"})",
         "feature branch published: feat/x at abc (folder: /w)\npushed to origin\nopen a pull request\n"},
        {R"({"outcome": "Feature-Published", "featureBranch": "feat/x", "mainBranch": "main", "mergedCommit": "d"})",
         "workstation integrated: feat/x -> main (d)"},
        {R"({"outcome": ["nothing-to-integrate"], "release": null})",
         "workstation integrated: undefined -> undefined (undefined)"},
        {R"({"featureBranch": "ação", "mainBranch": "main", "mergedCommit": "d",
             "release": {"previousVersion": "1.2.3", "version": "1.3.0", "bumpLevel": "minor", "tagName": "v1.3.0"}})",
         "workstation integrated: ação -> main (d)\n"
         "version 1.2.3 -> 1.3.0 (minor bump), local tag v1.3.0; the tag is NOT pushed"},
        {R"({"featureBranch": "f", "mainBranch": "main", "mergedCommit": "d", "release": false})",
         "workstation integrated: f -> main (d)\n"
         "version undefined -> undefined (undefined bump), local tag undefined; the tag is NOT pushed"},
    });
}

TEST(ModelsRenderer, PrintsEachCliWithErrorAndDisabledLines) {
    expect_bodies(render_models, {
        {R"({"clis": []})", "no CLI is enabled on this workstation"},
        {R"json({"clis": [
            {"cliId": "codex", "displayName": "Codex", "source": "cli", "models": ["m1", ["a", "b"], 2.0],
             "disabledModels": []},
            {"cliId": "kimi", "displayName": "Kimi", "source": "cli", "models": [], "disabledModels": ["m2", null]},
            {"cliId": "grok", "displayName": "Grök", "models": ["g1"], "errorMessage": "not logged in",
             "disabledModels": ["g0"]},
            {"cliId": "qwen", "models": [], "errorMessage": null, "disabledModels": []}
        ]})json",
         "model ids accepted by --model, asked of each CLI on this machine:\n"
         "  codex (Codex) [cli]: m1, a,b, 2\n"
         "  kimi (Kimi): no id available\n"
         "      turned off on the setup screen: m2, null\n"
         "  grok (Grök) [undefined]: g1\n"
         "      not logged in\n"
         "      turned off on the setup screen: g0\n"
         "  qwen (undefined): no id available\n"
         "      null"},
    });
}

TEST(ModelsRenderer, RefusesListsOfTheWrongShapeInEntryOrder) {
    expect_failures(render_models, {
        {R"({})", undefined_length},
        {R"({"clis": {"cliId": "codex"}})", "responseBody.clis is not iterable"},
        {R"({"clis": [{"models": null, "disabledModels": 3}]})", null_length},
        {R"({"clis": [{"models": "m1"}]})", "entry.models is not iterable"},
        {R"({"clis": [{"models": []}]})", undefined_length},
        {R"({"clis": [{"models": [], "disabledModels": {}}]})", "entry.disabledModels is not iterable"},
        {R"({"clis": [{"models": ["m"], "disabledModels": []}, {"models": {}}]})", "entry.models is not iterable"},
    });
}

TEST(SkillsAndInstallSkillRenderers, PrintTheirValues) {
    expect_bodies(render_skills, {
        {R"({"task": "x", "matches": []})", "no catalog entry matches this task; spawn without --skills/--mcps"},
        {R"json({"task": "gerar relatório\nem PDF", "matches": [
            {"kind": "skill", "id": "pdf", "score": 0.75, "name": "PDF", "description": "makes PDFs"},
            {"kind": "mcp", "id": "fs", "score": 3, "name": "Files", "description": null},
            {"kind": "skill", "id": "big", "score": 1e21},
            "stray"
        ]})json",
         "catalog entries relevant to: gerar relatório\nem PDF\n"
         "  [skill] pdf (score 0.75): PDF - makes PDFs\n"
         "  [mcp] fs (score 3): Files - null\n"
         "  [skill] big (score 1e+21): undefined - undefined\n"
         "  [undefined] undefined (score undefined): undefined - undefined"},
        {R"({"matches": [{"kind": "skill", "id": "a", "score": 2.0, "name": "A", "description": "d"}]})",
         "catalog entries relevant to: undefined\n  [skill] a (score 2): A - d"},
    });
    expect_failures(render_skills, {
        {R"({"matches": null})", null_length},
        {R"({"matches": {"0": {}}})", "responseBody.matches is not iterable"},
    });
    expect_bodies(render_install_skill, {
        {R"({"skillId": "pdf-tools", "skillName": null})",
         "app skill installed: pdf-tools (null); it is enabled and visible in Settings > Skills"},
    });
}

}  // namespace
}  // namespace tv
