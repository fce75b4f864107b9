// Serving the stand-in: the workstation folder, the token, the loopback
// listener with its token check, and a clean stop on SIGINT, SIGTERM or
// SIGHUP.
#pragma once

#include "options.h"

namespace devapp {

// Returns the process's exit status.
int serve(const ServeOptions& options);

}  // namespace devapp
