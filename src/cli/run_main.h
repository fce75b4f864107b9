// The entry point behind main().
#pragma once

namespace tv {

// The whole life of one invocation; returns the exit status.
int run_main(int argc, char** argv);

}  // namespace tv
