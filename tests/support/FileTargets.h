#pragma once

// Things a read or a write may meet at a path, made for a test: files, links, devices,
// FIFOs read or not, sockets, a small file system that fills up. Qt-free, for the core
// tests, the window's tests and the fuzzer alike.
#include <fcntl.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/resource.h>
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
#include <initializer_list>
#include <iterator>
#include <memory>
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

// What may stand at a path that is read or written, as TargetAt lays it out.
enum class Target : unsigned char {
  File,            // holding the bytes, mode 0640
  EmptyFile,       // mode 0640
  UnreadableFile,  // holding the bytes, mode 000: only root may read or write it
  LinkToFile,      // a symbolic link to a file holding the bytes
  Nothing,         // a name not yet taken
  SizeLimit,       // a file holding the bytes, where a write meets a file size limit half way
  FullDisk,        // a file holding the bytes on a file system of 64 KiB: mounted only as root
  ReadFifo,        // a FIFO a thread reads
  Device,          // a character device as /dev/null: made only as root
  LinkToDevice,    // a link to /dev/zero, which would never end if read
  UnreadFifo,      // with no reader nor writer: opening it plainly would wait for one
  FullFifo,        // holding the bytes, its writer still open: nobody drains it
  LinkToFifo,      // a link to a FIFO nobody reads
  FullDevice,      // a character device as /dev/full, which takes nothing: made only as root
  Socket,
  Folder,  // holding a file with the bytes
  DanglingLink,
  LinkLoop,
  UnderFile,      // a file where the path needs a folder
  MissingFolder,  // a name in a folder that is not there
  Count
};

inline bool IsAmong(Target kind, std::initializer_list<Target> kinds) {
  return std::ranges::find(kinds, kind) != kinds.end();
}

// `kind` laid out as `name` in `folder`, which is made anew and removed at the end,
// holding `bytes` where it holds any; the file or FIFO a link leads to, and the file in
// the way of UnderFile's path, is "file" beside it, the small file system "disk". Why()
// says why it could not be made (a device or a mount needs root).
class TargetAt {
 public:
  TargetAt(Target kind, const std::filesystem::path& folder, std::span<const unsigned char> bytes,
           const std::string& name = "target")
      : kind_(kind), folder_(folder), path_(folder / name), name_(name) {
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    Lay(bytes);
  }
  ~TargetAt() {
    reader_.reset();
    if (writer_ >= 0) ::close(writer_);
    if (kind_ == Target::FullDisk) ::umount2((folder_ / "disk").c_str(), MNT_DETACH);
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
  }
  TargetAt(const TargetAt&) = delete;
  TargetAt& operator=(const TargetAt&) = delete;

  Target Kind() const { return kind_; }
  const std::filesystem::path& Folder() const { return folder_; }
  const std::filesystem::path& Path() const { return path_; }
  const std::string& Why() const { return why_; }
  FifoReader* Reader() const { return reader_.get(); }
  // The file a write to the path replaces or makes, by its name in the folder; empty where
  // none is to be replaced.
  std::string Replaced() const {
    if (kind_ == Target::LinkToFile) return "file";
    if (kind_ == Target::FullDisk) return "disk/" + name_;
    return IsAmong(kind_, {Target::File, Target::EmptyFile, Target::UnreadableFile, Target::Nothing,
                           Target::SizeLimit})
               ? name_
               : "";
  }

 private:
  void Lay(std::span<const unsigned char> bytes) {
    namespace fs = std::filesystem;
    const auto put = [&](const fs::path& at, std::span<const unsigned char> held) {
      if (!PutBytes(at, held)) why_ = "cannot write " + at.string();
      fs::permissions(at, kind_ == Target::UnreadableFile ? fs::perms::none : fs::perms(0640));
    };
    const fs::path file = folder_ / "file", disk = folder_ / "disk";
    if (kind_ == Target::Folder) fs::create_directory(path_);
    if (kind_ == Target::FullDisk) {
      fs::create_directory(disk);
      path_ = disk / name_;
      if (::mount("tmpfs", disk.c_str(), "tmpfs", MS_NOSUID, "size=64k") == 0)
        put(path_, bytes);
      else
        why_ = "cannot mount a tmpfs (" + std::string(std::strerror(errno)) + ")";
    }
    if (IsAmong(kind_, {Target::File, Target::UnreadableFile, Target::SizeLimit}))
      put(path_, bytes);
    if (IsAmong(kind_, {Target::LinkToFile, Target::UnderFile})) put(file, bytes);
    if (kind_ == Target::EmptyFile) put(path_, {});
    if (kind_ == Target::Folder) put(path_ / "file", bytes);
    if (IsAmong(kind_,
                {Target::ReadFifo, Target::UnreadFifo, Target::FullFifo, Target::LinkToFifo}) &&
        ::mkfifo((kind_ == Target::LinkToFifo ? file : path_).c_str(), 0600) != 0)
      why_ = "cannot make a FIFO";
    for (const auto& [link, to] : {std::pair{Target::LinkToFile, "file"},
                                   {Target::LinkToFifo, "file"},
                                   {Target::LinkToDevice, "/dev/zero"},
                                   {Target::DanglingLink, "gone"},
                                   {Target::LinkLoop, "loop"}})
      if (kind_ == link) fs::create_symlink(to, path_);
    if (kind_ == Target::LinkLoop) fs::create_symlink(name_, folder_ / "loop");
    if (kind_ == Target::UnderFile) path_ = file / name_;
    if (kind_ == Target::MissingFolder) path_ = folder_ / "missing" / name_;
    if (kind_ == Target::Device || kind_ == Target::FullDevice)
      why_ = MakeCharDevice(path_, kind_ == Target::Device ? 3 : 7);
    if (kind_ == Target::Socket) {  // a socket file, left when its socket is closed
      sockaddr_un address{AF_UNIX, {}};
      const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
      if (path_.native().copy(address.sun_path, sizeof address.sun_path) ==
              sizeof address.sun_path ||
          ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        why_ = "cannot make a socket at " + path_.string();
      ::close(fd);
    }
    if (kind_ == Target::ReadFifo) reader_ = std::make_unique<FifoReader>(path_.string());
    if (kind_ == Target::FullFifo) {
      writer_ = ::open(path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
      const ssize_t written = ::write(writer_, bytes.data(), bytes.size());
      (void)written;  // as much as the pipe takes
    }
  }

  Target kind_;
  std::filesystem::path folder_, path_;
  std::string name_, why_;
  std::unique_ptr<FifoReader> reader_;
  int writer_ = -1;
};

// An entry of a folder as a write may change it: its name, kind and permissions, device
// numbers, where a link leads and what stands there, a file's bytes.
struct Entry {
  std::string Name;
  mode_t Mode = 0, LeadsTo = 0;
  dev_t Numbers = 0, LeadsToNumbers = 0;
  std::string Link = {};
  std::vector<unsigned char> Bytes = {};
  bool operator==(const Entry&) const = default;
};

// Every entry under `folder`, sorted by name.
inline std::vector<Entry> Entries(const std::filesystem::path& folder) {
  std::vector<Entry> entries;
  for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
    struct stat info = {}, leads = {};
    ::lstat(item.path().c_str(), &info);
    ::stat(item.path().c_str(), &leads);
    entries.push_back({item.path().lexically_relative(folder).string(), info.st_mode, leads.st_mode,
                       info.st_rdev, leads.st_rdev});
    Entry& entry = entries.back();
    if (S_ISLNK(info.st_mode)) entry.Link = std::filesystem::read_symlink(item.path()).string();
    if (S_ISREG(info.st_mode)) entry.Bytes = FileBytes(item.path());
  }
  std::ranges::sort(entries, {}, &Entry::Name);
  return entries;
}

// Writes to `target` with `write()`, which answers as a WriteResult does, and checks what
// every write promises, done or refused:
// 1. a refusal says why, and a write done says nothing;
// 2. a FIFO nobody reads is refused at once;
// 3. a write done to a file, or through a link to one, or to a new name, leaves there
//    exactly `bytes` with the file's permissions (a new file's: 0666 less the umask);
// 4. nothing else in the folder changes: no temporary file is left, links, devices,
//    FIFOs and folders stay what they were, and a refused write leaves a file byte for
//    byte;
// 5. a FIFO's reader gets `bytes` from a write done, and nothing from a refused one.
// Gives the answer and the first promise broken, or an empty string.
template <typename Write>
auto WriteChecked(const TargetAt& target, std::span<const unsigned char> bytes, Write write) {
  std::vector<Entry> expected = Entries(target.Folder());
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  if (target.Kind() == Target::SizeLimit) {
    rlimit small = limit;
    small.rlim_cur = std::max<rlim_t>(1, bytes.size() / 2);
    ::setrlimit(RLIMIT_FSIZE, &small);
  }
  const auto start = std::chrono::steady_clock::now();
  const auto answer = write();
  const auto took = std::chrono::steady_clock::now() - start;
  ::setrlimit(RLIMIT_FSIZE, &limit);

  const std::string replaced = target.Replaced();
  if (answer.Ok && !replaced.empty()) {
    auto entry = std::ranges::find(expected, replaced, &Entry::Name);
    if (entry == expected.end()) {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      const mode_t mode = S_IFREG | (0666 & ~mask);
      entry = expected.insert(std::ranges::upper_bound(expected, replaced, {}, &Entry::Name),
                              Entry{replaced, mode, mode});
    }
    entry->Bytes.assign(bytes.begin(), bytes.end());
  }
  const bool unread = target.Kind() == Target::UnreadFifo || target.Kind() == Target::LinkToFifo;
  const char* broken = "";
  if (answer.Ok == !answer.Reason.empty())
    broken = "a refusal without a reason, or a reason for a write done";
  else if (unread && took >= std::chrono::seconds(1))
    broken = "a FIFO nobody reads was waited on";
  else if (Entries(target.Folder()) != expected)
    broken = "the folder changed otherwise than by the write";
  else if (target.Reader() &&
           !std::ranges::equal(target.Reader()->Finish(), answer.Ok ? bytes : decltype(bytes)()))
    broken = "the FIFO's reader got other bytes";
  return std::pair(answer, std::string(broken));
}

}  // namespace tarnwick::test_targets
