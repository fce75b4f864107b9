#include "image/image_plan.h"
#include "support/outcome.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

using tvtest::reply_or_fail;

std::string plan(const std::string& entries, const std::string& rest = R"(,"outputPath":"/tmp/x.png")") {
    return R"({"ok":true,"attempts":[)" + entries + "]" + rest + "}";
}

TEST(ReadImagePlan, StopsAtTheFirstFaultInCheckingOrder) {
    const std::pair<std::string, std::string> cases[] = {
        {R"({"ok":true,"outputPath":""})", "the tarvolt image plan carries no \"attempts\""},
        {R"({"ok":true,"attempts":{}})", "the tarvolt image plan carries no \"attempts\""},
        // Entries are checked before emptiness and before outputPath.
        {plan(R"("codex")", ""), "an image attempt carries no \"timeoutMs\""},
        {plan(R"({"kind":"command","timeoutMs":300000.0})"), "an image attempt carries no \"timeoutMs\""},
        {plan(R"({"kind":"Command","timeoutMs":1000})"),
         "an image attempt carries no \"kind\" this client understands"},
        {plan(R"({"kind":"command","timeoutMs":1,"toolName":""})"), "the tarvolt image plan carries no \"imageCliId\""},
        {plan(R"({"kind":"command","timeoutMs":1,"imageCliId":"c","toolName":7})"),
         "the tarvolt image plan carries no \"toolName\""},
        {plan(R"({"kind":"command","timeoutMs":1,"imageCliId":"c","toolName":"C","model":""})"),
         "the tarvolt image plan carries no \"model\""},
        {plan(R"({"kind":"command","timeoutMs":1,"imageCliId":"c","toolName":"C","model":"m"})"),
         "the tarvolt image plan carries no \"commandLine\""},
        {plan(R"({"kind":"api","timeoutMs":1,"apiName":"A"})"), "the tarvolt image plan carries no \"apiId\""},
        {plan(R"({"kind":"api","timeoutMs":1,"apiId":"a","apiName":null})"),
         "the tarvolt image plan carries no \"apiName\""},
        {plan("", ""), "the tarvolt image plan carries no tool to run"},
        {plan(R"({"kind":"api","timeoutMs":1,"apiId":"a","apiName":"A"})", R"(,"outputPath":"")"),
         "the tarvolt image plan carries no \"outputPath\""}};
    for (const auto& c : cases)
        EXPECT_EQ(tvtest::failure_of([&] { read_image_plan(reply_or_fail(c.first)); }), c.second) << c.first;
}

// What the image command's runs do not show: the defaults.
TEST(ReadImagePlan, FillsTheDefaults) {
    const ImagePlan p = read_image_plan(reply_or_fail(plan(
        R"({"kind":"api","timeoutMs":1,"apiId":"a","apiName":"A"},{"kind":"api","timeoutMs":1,"apiId":"b","apiName":"B","model":""})",
        R"(,"outputPath":"/x","registeredApiCount":-2)")));
    ASSERT_EQ(p.attempts.size(), 2u);
    EXPECT_EQ(attempt_label(p.attempts[0]), "registered API A, model default model");
    EXPECT_EQ(attempt_label(p.attempts[1]), "registered API B, model default model");
    EXPECT_EQ(p.registered_api_count, 0u);
}

}  // namespace
}  // namespace tv
