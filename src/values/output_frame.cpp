#include "values/output_frame.h"

#include "base/output.h"
#include "values/join.h"
#include "values/value_text.h"

namespace tv {

std::string pending_line(const JsonNode& reply) {
    const Value pending = read_property(reply, "pending");
    if (pending == nullptr || !pending->is_object()) return "";
    std::string parts;
    Joiner joiner(parts, "; ");
    const Value unread = read_property(pending, "unreadReports");
    if (is_number_above_zero(unread)) {
        joiner.add(value_text(unread) +
                   " report(s) NOT read yet - run \"tarvolt-ctl inbox\", then \"tarvolt-ctl ack\"");
    }
    const Value running = read_property(pending, "runningTasks");
    if (is_number_above_zero(running)) joiner.add(value_text(running) + " task(s) still running");
    if (is_true(read_property(pending, "degraded"))) {
        joiner.add("the workstation journal could not be written, so this ledger is incomplete");
    }
    return parts.empty() ? "" : "\npending: " + parts;
}

void write_result(std::string body, const JsonNode& reply) {
    body += pending_line(reply);
    body += '\n';
    write_stdout(body);
}

}  // namespace tv
