#include "files/FileWriter.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace tarnwick {

namespace {

WriteResult Done() { return {true, {}}; }
WriteResult Refused(std::string reason) { return {false, std::move(reason)}; }

// Short words for what went wrong, to follow the path in a message.
std::string Describe(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return "permission denied";
    case ENOENT:
      return "folder does not exist";
    case ENOSPC:
      return "disk full";
    case EDQUOT:
      return "disk quota exceeded";
    case EFBIG:
      return "file too large";
    case EROFS:
      return "read-only file system";
    case ENOTDIR:
      return "a part of the path is not a folder";
    case ENAMETOOLONG:
      return "name too long";
    case ELOOP:
      return "the links loop";
    case EISDIR:
      return "is a folder";
    case EPIPE:
      return "the reader stopped reading";
    case EIO:
      return "input/output error";
    case EBUSY:
      return "is busy";
    case ETXTBSY:
      return "is a running program";
    default:
      break;
  }
  std::string text = std::strerror(error);
  if (!text.empty()) text[0] = char(std::tolower((unsigned char)text[0]));
  return text;
}

WriteResult Refused(int error) { return Refused(Describe(error)); }

// SIGPIPE and SIGXFSZ are held in this thread while it writes, so that a reader going
// away or a file size limit fails the write (EPIPE, EFBIG) instead of ending the
// program; a signal the write raised is taken back before they are let through again.
class WriteSignalsHeld {
 public:
  WriteSignalsHeld() {
    sigemptyset(&held_);
    sigaddset(&held_, SIGPIPE);
    sigaddset(&held_, SIGXFSZ);
    pthread_sigmask(SIG_BLOCK, &held_, &before_);
    sigpending(&pending_);
  }
  ~WriteSignalsHeld() {
    const int error = errno;
    sigset_t now;
    sigpending(&now);
    for (const int signal : {SIGPIPE, SIGXFSZ}) {
      if (!sigismember(&now, signal) || sigismember(&pending_, signal) ||
          sigismember(&before_, signal))
        continue;
      sigset_t one;
      sigemptyset(&one);
      sigaddset(&one, signal);
      const timespec none{0, 0};
      while (sigtimedwait(&one, nullptr, &none) < 0 && errno == EINTR) {
      }
    }
    pthread_sigmask(SIG_SETMASK, &before_, nullptr);
    errno = error;
  }
  WriteSignalsHeld(const WriteSignalsHeld&) = delete;
  WriteSignalsHeld& operator=(const WriteSignalsHeld&) = delete;

 private:
  sigset_t held_, before_, pending_;
};

// Writes every byte; 0, or the errno of the failure.
int WriteAll(int fd, std::span<const unsigned char> bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += std::size_t(n);
    } else if (n < 0 && errno == EAGAIN) {
      // A stream this program was handed may be non-blocking: wait until it takes more.
      pollfd ready{fd, POLLOUT, 0};
      ::poll(&ready, 1, -1);
    } else if (n == 0 || errno != EINTR) {
      return n == 0 ? EIO : errno;
    }
  }
  return 0;
}

// The program's own streams by name: /dev/stdin, /dev/stdout, /dev/stderr, /dev/fd/N,
// /proc/self/fd/N. Reopening one would start a regular file it stands for at its
// beginning, and the file's name would lead to replacing it; written through the
// descriptor, the output goes where the program's caller sent it.
enum class StreamName { None, Own, Unknown };

StreamName OwnStream(const std::string& path, int& fd) {
  static const char* const standard[] = {"/dev/stdin", "/dev/stdout", "/dev/stderr"};
  for (int i = 0; i < 3; ++i)
    if (path == standard[i]) {
      fd = i;
      return StreamName::Own;
    }
  for (const std::string folder : {"/dev/fd/", "/proc/self/fd/"}) {
    if (path.rfind(folder, 0) != 0) continue;
    const std::string number = path.substr(folder.size());
    if (number.empty() || number.size() > 9 ||
        !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return StreamName::Unknown;
    fd = std::atoi(number.c_str());
    return StreamName::Own;
  }
  return path.rfind("/dev/std", 0) == 0 ? StreamName::Unknown : StreamName::None;
}

WriteResult WriteOwnStream(int fd, std::span<const unsigned char> bytes) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0) return Refused("is not open");
  if ((flags & O_ACCMODE) == O_RDONLY) return Refused("is open for reading only");
  if (const int error = WriteAll(fd, bytes); error != 0) return Refused(error);
  return Done();
}

// A device, FIFO or socket, written where it stands. Opening never waits: a FIFO that
// nobody reads fails at once with ENXIO, and is refused rather than waited on.
WriteResult WriteStream(const std::string& path, std::span<const unsigned char> bytes,
                        mode_t seen) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    if (error == ENXIO)
      return Refused(S_ISFIFO(seen)   ? "no program is reading the FIFO"
                     : S_ISSOCK(seen) ? "is a socket, which cannot be opened to write to"
                                      : "the device is not there");
    if (error == ENOENT) return Refused("does not exist");
    return Refused(error);
  }
  struct stat opened;
  int error = ::fstat(fd, &opened) == 0 ? 0 : errno;
  // What was put in its place since it was looked at is not written over in place.
  if (error == 0 && !S_ISCHR(opened.st_mode) && !S_ISFIFO(opened.st_mode) &&
      !S_ISSOCK(opened.st_mode)) {
    ::close(fd);
    return Refused("changed while being written");
  }
  // Once a reader is there, a full pipe or a slow device is waited on as usual.
  const int flags = ::fcntl(fd, F_GETFL);
  if (error == 0 && (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)) error = errno;
  if (error == 0) error = WriteAll(fd, bytes);
  if (::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
  if (error != 0) return Refused(error);
  return Done();
}

// Best effort: the rename itself reaches the disk with the folder.
void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// A regular file (`existing`) or a new name, replaced by a complete new file.
WriteResult ReplaceFile(const std::string& path, std::span<const unsigned char> bytes,
                        const struct stat* existing) {
  std::string target = path;
  if (existing != nullptr) {
    // Replace what a link points to, not the link.
    struct stat link;
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
      char* real = ::realpath(path.c_str(), nullptr);
      if (real == nullptr) return Refused(errno);
      target = real;
      std::free(real);
    }
    // A file the user may not write is not replaced, as a plain write would not; the
    // folder's permission alone would let the rename through.
    if (::access(target.c_str(), W_OK) != 0) return Refused(errno);
  }
  std::filesystem::path folder = std::filesystem::path(target).parent_path();
  if (folder.empty()) folder = ".";
  // A short unique name in the target's folder, whatever the target's name.
  std::string temporary = (folder / ".tarnwick-XXXXXX").string();
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return Refused(errno);
  // The replaced file's permissions, or a new file's usual ones.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  const mode_t mode = existing != nullptr ? existing->st_mode & 07777 : 0666 & ~mask;
  // The replaced file keeps its owner where this user may give it (root saving a user's
  // project must not take it over); elsewhere the new file is this user's, as any save's.
  // Before the mode: a change of owner may clear mode bits.
  if (existing != nullptr && (existing->st_uid != ::geteuid() || existing->st_gid != ::getegid()) &&
      ::fchown(fd, existing->st_uid, existing->st_gid) != 0) {
    // Not allowed to this user: the new file is its own, as any save's.
  }
  int error = ::fchmod(fd, mode) == 0 ? 0 : errno;
  if (error == 0) error = WriteAll(fd, bytes);
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return Refused(error);
  }
  SyncFolder(folder);
  return Done();
}

}  // namespace

WriteResult WriteFile(const std::string& path, std::span<const unsigned char> bytes,
                      WriteTargets allowed) {
  const WriteSignalsHeld held;
  if (path.empty()) return Refused("no file name");
  const bool regularOnly = allowed == WriteTargets::RegularOnly;
  const std::string filesOnly = "; projects are saved to files only";
  int own = -1;
  switch (OwnStream(path, own)) {
    case StreamName::Own:
      if (regularOnly) return Refused("is a stream of the program" + filesOnly);
      return WriteOwnStream(own, bytes);
    case StreamName::Unknown:
      return Refused("names no stream of the program");
    case StreamName::None:
      break;
  }
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) {
    const int error = errno;
    struct stat link;
    if (error == ENOENT && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
      return Refused("is a link to nothing");
    if (error != ENOENT) return Refused(error);
    return ReplaceFile(path, bytes, nullptr);
  }
  if (S_ISREG(info.st_mode)) return ReplaceFile(path, bytes, &info);
  if (S_ISDIR(info.st_mode)) return Refused("is a folder");
  if (S_ISBLK(info.st_mode)) return Refused("is a disk device, which is not written to");
  const char* kind = S_ISCHR(info.st_mode)    ? "a device"
                     : S_ISFIFO(info.st_mode) ? "a FIFO"
                     : S_ISSOCK(info.st_mode) ? "a socket"
                                              : nullptr;
  if (kind == nullptr) return Refused("is not a file");
  if (regularOnly) return Refused("is " + std::string(kind) + filesOnly);
  return WriteStream(path, bytes, info.st_mode);
}

WriteResult WriteFile(const std::string& path, std::string_view text, WriteTargets allowed) {
  return WriteFile(
      path, std::span(reinterpret_cast<const unsigned char*>(text.data()), text.size()), allowed);
}

}  // namespace tarnwick
