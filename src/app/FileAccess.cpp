#include "app/FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace tarnwick {

namespace {

std::string SystemWords(int error) { return std::generic_category().message(error); }

}  // namespace

std::optional<std::string> WhyUnreadable(const std::string& path) {
  // 1. What the path is, without opening it: opening a device may already do something.
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return SystemWords(errno);
  if (S_ISDIR(info.st_mode)) return SystemWords(EISDIR);
  if (!S_ISREG(info.st_mode)) return "Not a regular file";
  // 2. Whether it opens for reading, which only trying tells (access() asks for the real
  // user rather than the effective one).
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return SystemWords(errno);
  ::close(fd);
  return std::nullopt;
}

}  // namespace tarnwick
