#include "base/standard_descriptors.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace ascent {

void reserve_standard_descriptors() {
  for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
    if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number is this one, as the ones below it are open.
    const int placeholder = ::open("/", O_PATH | O_CLOEXEC);
    if (placeholder >= 0 && placeholder != descriptor) ::close(placeholder);
  }
}

}  // namespace ascent
