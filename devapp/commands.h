// The command handlers, one per command of the control endpoint.
#pragma once

#include "values/json.h"
#include "workstation.h"

namespace devapp {

// Each gets the workstation, the calling pane and the request body, and
// returns the reply's members after `ok` (the dispatcher adds `ok` and
// `pending`), or refuses.
using Handler = tv::Json (*)(Workstation&, Terminal& caller, const tv::Json& body);

// Lifecycle of the panes.
tv::Json spawn_command(Workstation&, Terminal&, const tv::Json&);
tv::Json send_command(Workstation&, Terminal&, const tv::Json&);
tv::Json standby_command(Workstation&, Terminal&, const tv::Json&);
tv::Json resume_command(Workstation&, Terminal&, const tv::Json&);
tv::Json close_command(Workstation&, Terminal&, const tv::Json&);

// The ledger.
tv::Json done_command(Workstation&, Terminal&, const tv::Json&);
tv::Json progress_command(Workstation&, Terminal&, const tv::Json&);
tv::Json artifact_command(Workstation&, Terminal&, const tv::Json&);
tv::Json request_command(Workstation&, Terminal&, const tv::Json&);
tv::Json note_command(Workstation&, Terminal&, const tv::Json&);
tv::Json inbox_command(Workstation&, Terminal&, const tv::Json&);
tv::Json ack_command(Workstation&, Terminal&, const tv::Json&);
tv::Json status_command(Workstation&, Terminal&, const tv::Json&);

// Looking around.
tv::Json list_command(Workstation&, Terminal&, const tv::Json&);
tv::Json brief_command(Workstation&, Terminal&, const tv::Json&);
tv::Json models_command(Workstation&, Terminal&, const tv::Json&);
tv::Json skills_command(Workstation&, Terminal&, const tv::Json&);
tv::Json quota_command(Workstation&, Terminal&, const tv::Json&);
tv::Json install_skill_command(Workstation&, Terminal&, const tv::Json&);
tv::Json history_command(Workstation&, Terminal&, const tv::Json&);
tv::Json merge_command(Workstation&, Terminal&, const tv::Json&);

// Media: every step of image and video goes through one command with a phase.
tv::Json image_command(Workstation&, Terminal&, const tv::Json&);
tv::Json video_command(Workstation&, Terminal&, const tv::Json&);

// The terminal line of `list`, `brief` and `status`.
tv::Json terminal_entry(const Terminal& t);

}  // namespace devapp
