// A scripted app and a clock for the jobs that the app runs at an API: the
// clock moves only when the job sleeps or sends a request.
#pragma once

#include "image/app_job.h"
#include "image/image_attempt.h"
#include "support/outcome.h"

#include <chrono>
#include <deque>
#include <string>
#include <vector>

namespace tvtest {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct ScriptedApp {
    // Answers in order; the last one repeats.
    explicit ScriptedApp(std::deque<tv::ControlReply> answers, Clock::duration time_per_request = 250ms)
        : replies(std::move(answers)), request_time(time_per_request) {}

    std::deque<tv::ControlReply> replies;
    std::vector<std::string> sent;
    std::vector<Clock::duration> sent_at;  // time since the start
    Clock::time_point now{std::chrono::hours(1)};
    Clock::time_point start = now;
    Clock::duration request_time;

    tv::JobPorts ports() {
        return {
            [this](std::string_view body) {
                sent.emplace_back(body);
                sent_at.push_back(now - start);
                now += request_time;
                tv::ControlReply r = replies.at(0);
                if (replies.size() > 1) replies.pop_front();
                return r;
            },
            [this] { return now; },
            [this](tv::PlanDuration d) {
                now += std::chrono::seconds(d.seconds) + std::chrono::nanoseconds(d.nanoseconds);
            },
        };
    }
};

inline tv::ControlReply reply(const std::string& text) { return {reply_or_fail(text), {}}; }

// The job of registered image API or-1 with this time limit, drawing at `path`.
inline tv::AppJob image_job(std::uint64_t timeout_ms, const std::string& path = "/nowhere/x.png") {
    tv::ImageAttempt attempt;
    attempt.api_id = "or-1";
    attempt.timeout = tv::duration_from_ms(timeout_ms);
    return tv::image_api_job(attempt, "p", path);
}

}  // namespace tvtest
