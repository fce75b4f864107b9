#include "render/merge_models_skills.h"

#include "render/render.h"
#include "support/outcome.h"

#include <gtest/gtest.h>

#include <string>

namespace tv {
namespace {

TEST(MergeModelsSkillsRender, EveryVariant) {
    const std::string null_length = "fail: Cannot read properties of null (reading 'length')";
    const std::tuple<Renderer, const char*, std::string> cases[] = {
        // merge: the variant follows the exact outcome string.
        {render_merge, R"({"outcome":"nothing-to-integrate","detail":"main already has it","folderPath":"/w"})",
         "nothing to integrate: main already has it (folder: /w)"},
        {render_merge, R"({"outcome":"feature-published","featureBranch":"feat/x","headCommit":"abc","folderPath":"/w",
            "detail":"pushed\nopen a pull request\n"})",
         "feature branch published: feat/x at abc (folder: /w)\npushed\nopen a pull request\n"},
        {render_merge, R"({"outcome":["nothing-to-integrate"],"featureBranch":"f"})",
         "workstation integrated: f -> undefined (undefined)"},
        {render_merge,
         R"({"outcome":"Feature-Published","featureBranch":"f","mainBranch":"main","mergedCommit":"d","release":null})",
         "workstation integrated: f -> main (d)"},
        // Any release but null gets its line.
        {render_merge, R"({"release":false})",
         "workstation integrated: undefined -> undefined (undefined)\n"
         "version undefined -> undefined (undefined bump), local tag undefined; the tag is NOT pushed"},
        {render_merge, R"({"featureBranch":"f","mainBranch":"main","mergedCommit":"d",
            "release":{"tagName":"v1.3.0","previousVersion":"1.2.3","version":"1.3.0","bumpLevel":"minor"}})",
         "workstation integrated: f -> main (d)\n"
         "version 1.2.3 -> 1.3.0 (minor bump), local tag v1.3.0; the tag is NOT pushed"},

        // models: ids, then the error line, then the turned-off line.
        {render_models, R"({"clis":[]})", "no CLI is enabled on this workstation"},
        {render_models, R"({"clis":[
            {"cliId":"codex","displayName":"Codex","source":"cli","models":["m1","m2"],"disabledModels":[]},
            {"cliId":"kimi","displayName":"Kimi","source":"cli","models":[],"disabledModels":["k1","k2"]},
            {"disabledModels":["g0"],"errorMessage":"not logged in","cliId":"grok","displayName":"Grok",
             "models":["g1"]},
            {"cliId":"qwen","displayName":"Qwen","models":[],"errorMessage":null,"disabledModels":[]}]})",
         "model ids accepted by --model, asked of each CLI on this machine:\n"
         "  codex (Codex) [cli]: m1, m2\n"
         "  kimi (Kimi): no id available\n"
         "      turned off on the setup screen: k1, k2\n"
         "  grok (Grok) [undefined]: g1\n"
         "      not logged in\n"
         "      turned off on the setup screen: g0\n"
         "  qwen (Qwen): no id available\n"
         "      null"},
        {render_models, R"({"clis":{"cliId":"codex"}})", "fail: responseBody.clis is not iterable"},
        {render_models, R"({"clis":null})", null_length},
        // Each entry's models are read before its turned-off list.
        {render_models, R"({"clis":[{"models":null,"disabledModels":3}]})", null_length},
        {render_models, R"({"clis":[{"models":"m1"}]})", "fail: entry.models is not iterable"},
        {render_models, R"({"clis":[{"models":[],"disabledModels":{}}]})",
         "fail: entry.disabledModels is not iterable"},

        {render_skills, R"({"task":"x","matches":[]})",
         "no catalog entry matches this task; spawn without --skills/--mcps"},
        {render_skills, R"({"task":"make a PDF","matches":[
            {"kind":"skill","id":"pdf","score":0.75,"name":"PDF","description":"makes PDFs"},
            {"kind":"mcp","id":"fs","score":3,"name":"Files"}]})",
         "catalog entries relevant to: make a PDF\n"
         "  [skill] pdf (score 0.75): PDF - makes PDFs\n"
         "  [mcp] fs (score 3): Files - undefined"},
        {render_skills, R"({"matches":{"0":{}}})", "fail: responseBody.matches is not iterable"},
        {render_skills, R"({"matches":null})", null_length},

        {render_install_skill, R"({"skillId":"pdf-tools","skillName":"PDF tools"})",
         "app skill installed: pdf-tools (PDF tools); it is enabled and visible in Settings > Skills"},
        // The app lays the quota out itself; a final line break stays.
        {render_quota, R"({"renderedSnapshot":"a\nb\n"})", "a\nb\n"},
    };
    for (const auto& [render, reply, body] : cases) EXPECT_EQ(tvtest::rendered(render, reply), body) << reply;
}

}  // namespace
}  // namespace tv
