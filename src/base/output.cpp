#include "base/output.h"

#include "base/fail.h"

#include <unistd.h>
#include <string>

namespace tv {

int write_all(int fd, std::string_view bytes) {
    return put_all(bytes, [fd](const char* data, std::size_t size) { return ::write(fd, data, size); });
}

void write_stdout(std::string_view text) {
    if (const int err = write_all(STDOUT_FILENO, text)) {
        fail("could not write the result to standard output: " + os_error_text(err));
    }
}

void warn(std::string_view line) {
    std::string text = "tarvolt-ctl: ";
    text += line;
    text += '\n';
    (void)write_all(STDERR_FILENO, text);
}

}  // namespace tv
