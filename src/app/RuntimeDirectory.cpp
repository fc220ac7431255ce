#include "app/RuntimeDirectory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace tarnwick {

bool PrepareRuntimeDirectory() {
  const char* named = std::getenv("XDG_RUNTIME_DIR");
  if (named != nullptr && named[0] != '\0') return true;
  // 1. Where: the uid rather than the user's name, which the environment could misstate.
  const char* temporary = std::getenv("TMPDIR");
  const std::string base = temporary != nullptr && temporary[0] == '/' ? temporary : "/tmp";
  const uid_t user = ::geteuid();
  const std::string path = base + "/runtime-" + std::to_string(user);
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  // 2. Checked through a descriptor opened without following a link, so that what is
  // checked is what is named, even where someone else could put a link in its place.
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  bool ours = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == user;
  // 3. Narrowed to 0700 where the umask or an earlier run left it wider (Qt warns of that
  // too) or narrower.
  if (ours && (info.st_mode & 07777) != 0700) ours = ::fchmod(fd, 0700) == 0;
  ::close(fd);
  return ours && ::setenv("XDG_RUNTIME_DIR", path.c_str(), 1) == 0;
}

}  // namespace tarnwick
