// Serving the stand-in on 127.0.0.1, with its token check, until SIGINT, SIGTERM or SIGHUP.
#pragma once

#include "options.h"

namespace devapp {

// Returns the process's exit status.
int serve(const ServeOptions& options);

}  // namespace devapp
