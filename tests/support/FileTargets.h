#pragma once

// Things a write may meet at a path, made for a test: a character device, a FIFO with a
// reader, a small file system that fills up. Qt-free, for the core tests, the window's
// tests and the fuzzer alike.
#include <fcntl.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace tarnwick::test_targets {

// A character device at `path` with /dev/null's numbers (or the ones given), mode 0666.
// Empty when made and writable, else why not: making devices needs root, and a file
// system mounted nodev refuses to open them.
inline std::string MakeCharDevice(const std::string& path, unsigned minor = 3) {
  if (::mknod(path.c_str(), S_IFCHR | 0666, ::makedev(1, minor)) != 0)
    return "cannot make a device here (" + std::string(std::strerror(errno)) + "); that needs root";
  ::chmod(path.c_str(), 0666);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) {
    const std::string why = std::strerror(errno);
    ::unlink(path.c_str());
    return "a device made here cannot be opened (" + why + ")";
  }
  ::close(fd);
  return {};
}

// True when `path` is a character device with the numbers 1,minor.
inline bool IsCharDevice(const std::string& path, unsigned minor = 3) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode) &&
         info.st_rdev == ::makedev(1, minor);
}

inline bool IsFifo(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode);
}

inline std::vector<unsigned char> FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// A fresh folder of this process's own under the temporary folder, removed with all it
// holds at the end.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name)
      : path_(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Writes the bytes to a new file at `path`; false when they could not all be written.
inline bool PutBytes(const std::filesystem::path& path, std::span<const unsigned char> bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out.flush());
}

// A socket file at `path`, bound and listening: its descriptor, or -1 when it cannot be
// made (a path too long for a socket among them).
inline int ListeningSocket(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return -1;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
      ::listen(fd, 1) == 0)
    return fd;
  if (fd >= 0) ::close(fd);
  return -1;
}

// Runs `write` in a child process (set up by `prepare` first) and gives its exit status,
// or -1 when it did not end by itself.
template <typename Prepare, typename Write>
int InChild(Prepare prepare, Write write) {
  const pid_t child = ::fork();
  if (child == 0) {
    prepare();
    ::_exit(write());
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return -2;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The names in a folder, sorted: a write must leave no temporary file behind.
inline std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Reads a FIFO on a thread of its own from construction on, so that a writer finds a
// reader there and never waits on a full pipe. Finish() once every writer is done.
class FifoReader {
 public:
  explicit FifoReader(const std::string& path)
      : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
    if (fd_ >= 0) thread_ = std::thread([this] { Run(); });
  }
  ~FifoReader() { Finish(); }
  FifoReader(const FifoReader&) = delete;
  FifoReader& operator=(const FifoReader&) = delete;

  bool Reading() const { return fd_ >= 0; }

  // Everything written to the FIFO while it was read.
  const std::vector<unsigned char>& Finish() {
    if (thread_.joinable()) {
      done_ = true;
      thread_.join();
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    return bytes_;
  }

 private:
  void Run() {
    std::vector<unsigned char> block(1 << 16);
    for (;;) {
      pollfd ready{fd_, POLLIN, 0};
      ::poll(&ready, 1, 20);
      // Looked at before draining: once the writers are done, what they wrote is all in
      // the pipe, and this drain takes it.
      const bool last = done_;
      ssize_t n;
      while ((n = ::read(fd_, block.data(), block.size())) > 0)
        bytes_.insert(bytes_.end(), block.begin(), block.begin() + n);
      if (last || (n < 0 && errno != EAGAIN && errno != EINTR)) return;
      // No writer at the moment: a closed pipe would answer every poll at once.
      if (n == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  int fd_;
  std::atomic<bool> done_{false};
  std::vector<unsigned char> bytes_;
  std::thread thread_;
};

// A tmpfs of `size` bytes at `at` (made if missing), unmounted again at the end: a disk
// that fills up. Mounting needs root; Why() says why it is not there.
class SmallDisk {
 public:
  SmallDisk(const std::filesystem::path& at, const std::string& size = "64k") : at_(at) {
    std::filesystem::create_directories(at_);
    mounted_ = ::mount("tmpfs", at_.c_str(), "tmpfs", MS_NOSUID, ("size=" + size).c_str()) == 0;
    if (!mounted_) why_ = "cannot mount a tmpfs (" + std::string(std::strerror(errno)) + ")";
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool Mounted() const { return mounted_; }
  const std::string& Why() const { return why_; }

 private:
  std::filesystem::path at_;
  bool mounted_ = false;
  std::string why_;
};

}  // namespace tarnwick::test_targets
