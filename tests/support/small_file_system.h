// Runs a piece of a test where a file system is full: in a child process with
// a private mount namespace, over a small tmpfs mounted for it alone, so
// nothing outside the test sees the mount. Needs the right to mount.
#pragma once

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace talvex::testing {

/// The exit status the child gives when it could not mount.
constexpr int CannotMount = 77;

/// Mounts a tmpfs of `size` (e.g. "64k") at `mountPoint` (an existing empty
/// folder) in a child, runs `body` there and returns its result as the
/// child's exit status; CannotMount without the right to mount, -1 when the
/// child did not end normally.
inline int InSmallFileSystem(const std::string& mountPoint, const std::string& size,
                             const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, ("size=" + size).c_str()) != 0) {
      ::_exit(CannotMount);
    }
    ::_exit(body());
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace talvex::testing
