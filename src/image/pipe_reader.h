// The reading end of one of a tool's output pipes, drained on its own thread
// so that the tool never stalls on a full pipe.
#pragma once

#include <string>

namespace tv {

// Called after each read with all that is kept so far; drops what its user
// will never need, and returns true once no later byte can matter.
using KeepRule = bool (*)(std::string& kept);

struct PipeReader {
    int fd = -1;              // read end, owned: closed when the reader ends
    int give_up_fd = -1;      // readable once the caller stops waiting for end of file
    int finished_fd = -1;     // counted up by one when the reader has ended
    KeepRule keep = nullptr;  // null: the bytes are thrown away
};

// Reads until end of file, a read error, or giving up (then only what is
// already in the pipe). Never throws; an internal fault keeps nothing.
std::string drain_pipe(const PipeReader& reader);

}  // namespace tv
