#include "image_tools/local_tools.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

TEST(LocalToolList, AlignsTheColumns) {
    EXPECT_EQ(local_tool_list(),
              "image tools you can name with --tool:\n"
              "  grok-imagine        Grok Imagine              tried 1st when you pass no --tool\n"
              "  codex-image         Codex Image               tried 2nd when you pass no --tool\n"
              "  antigravity-gemini  Antigravity Gemini Image  tried 3rd when you pass no --tool\n"
              "\n"
              "This list came from this client, not from the app: run it inside a tarvolt terminal to also see "
              "the registered image APIs, their ids and whether one is configured.\n"
              "--tool <id> runs that local tool and nothing else; --api <id> calls that registered API directly, "
              "without trying any local tool first. Either way nothing follows what you named. Leave both out and "
              "the app walks the list above from the top until one delivers.");
}

}  // namespace
}  // namespace tv
