#include "image/pipe_reader.h"

#include "base/owned_fd.h"

#include <poll.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>
#include <utility>

namespace tv {
namespace {

constexpr std::size_t chunk = 64 * 1024;
// After giving up, a holder that keeps writing must not keep the reader busy.
constexpr int last_reads = 16;

enum class Read { more, wait, done };

struct Kept {
    std::string bytes;
    bool complete = false;  // the rest is only drained
};

Read read_once(const PipeReader& r, Kept& kept, char* buf) {
    const ssize_t n = ::read(r.fd, buf, chunk);
    if (n > 0) {
        if (r.keep && !kept.complete) {
            kept.bytes.append(buf, static_cast<std::size_t>(n));
            kept.complete = r.keep(kept.bytes);
        }
        return Read::more;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return Read::wait;
    return Read::done;  // end of file, or an error: what was read stays
}

void read_until_end(const PipeReader& r, Kept& kept, char* buf) {
    pollfd fds[2] = {{r.fd, POLLIN, 0}, {r.give_up_fd, POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0) {
            for (int i = 0; i < last_reads; ++i) {
                if (read_once(r, kept, buf) != Read::more) return;
            }
            return;
        }
        if (fds[0].revents != 0 && read_once(r, kept, buf) == Read::done) return;
    }
}

}  // namespace

std::string drain_pipe(const PipeReader& reader) {
    OwnedFd pipe(reader.fd);
    Kept kept;
    try {
        std::string buf(chunk, '\0');
        read_until_end(reader, kept, buf.data());
    } catch (...) {
        kept.bytes.clear();
    }
    // Let go of the pipe before counting as finished, as the caller expects.
    pipe.reset();
    const std::uint64_t one = 1;
    (void)!::write(reader.finished_fd, &one, sizeof one);
    return std::move(kept.bytes);
}

}  // namespace tv
