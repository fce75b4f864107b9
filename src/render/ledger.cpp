#include "render/ledger.h"

#include "cli/fail.h"

namespace tv {

std::string render_done(const Json&) { fail("this build cannot show the answer to done yet"); }
std::string render_progress(const Json&) { fail("this build cannot show the answer to progress yet"); }
std::string render_artifact(const Json&) { fail("this build cannot show the answer to artifact yet"); }
std::string render_request(const Json&) { fail("this build cannot show the answer to request yet"); }
std::string render_note(const Json&) { fail("this build cannot show the answer to note yet"); }
std::string render_inbox(const Json&) { fail("this build cannot show the answer to inbox yet"); }
std::string render_ack(const Json&) { fail("this build cannot show the answer to ack yet"); }
std::string render_status(const Json&) { fail("this build cannot show the answer to status yet"); }

}  // namespace tv
