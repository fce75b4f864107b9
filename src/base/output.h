// The program's few writers: all of a text to a descriptor, the result on
// standard output and the warning line on standard error.
#pragma once

#include <sys/types.h>
#include <cerrno>
#include <cstddef>
#include <string_view>

namespace tv {

// Hands `bytes` to `put` (a write or send: pointer and length in, count or -1
// out) until all are taken, retrying after an interruption. 0, or the error
// number of the call that failed; a call that takes nothing is EIO.
template <class Put>
int put_all(std::string_view bytes, Put put) {
    while (!bytes.empty()) {
        const ssize_t n = put(bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// put_all through write(2).
int write_all(int fd, std::string_view bytes);

// Writes all of `text` to standard output; a failed write (a reader that went
// away) ends the run with status 1 rather than passing for a success.
void write_stdout(std::string_view text);

// Writes "tarvolt-ctl: {line}\n" to standard error; when that fails there is
// nowhere left to say so.
void warn(std::string_view line);

}  // namespace tv
