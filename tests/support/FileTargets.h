#pragma once

// Things a read or a write may meet at a path, made for a test: files, links, devices, FIFOs
// read or not, sockets. Qt-free, for the core tests, the window's tests and the fuzzer alike.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace tarnwick::test_targets {

inline std::vector<unsigned char> FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// A fresh folder of its own under the temporary folder, named `name`, the process and a
// serial number; removed with all it holds at the end.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name) {
    static int made = 0;
    path_ = std::filesystem::temp_directory_path() /
            (name + "-" + std::to_string(::getpid()) + "-" + std::to_string(++made));
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

// Runs `body` in a child process and gives the status it returns, or -1 when the child did
// not end by itself.
int InChild(auto body) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(body());
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return -2;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// In a child: whether it now runs as nobody, as it must where the test runs as root, who may
// read and write anything.
inline bool AsNobody() {
  return ::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0);
}

// Reads a FIFO on a thread of its own from construction on, so that a writer finds a
// reader there and never waits on a full pipe. Finish() once every writer is done.
class FifoReader {
 public:
  explicit FifoReader(const std::string& path)
      : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
    if (fd_ >= 0) thread_ = std::jthread([this](std::stop_token done) { Run(done); });
  }
  ~FifoReader() { Finish(); }

  // Everything written to the FIFO while it was read.
  const std::vector<unsigned char>& Finish() {
    thread_.request_stop();
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    return bytes_;
  }

 private:
  void Run(std::stop_token done) {
    std::vector<unsigned char> block(1 << 16);
    for (bool last = false; !last;) {
      pollfd ready{fd_, POLLIN, 0};
      ::poll(&ready, 1, 20);
      // Looked at before draining: once the writers are done, what they wrote is all in
      // the pipe, and this drain takes it.
      last = done.stop_requested();
      ssize_t n;
      while ((n = ::read(fd_, block.data(), block.size())) > 0)
        bytes_.insert(bytes_.end(), block.begin(), block.begin() + n);
      // No writer at the moment: a closed pipe would answer every poll at once.
      if (n == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  int fd_;
  std::vector<unsigned char> bytes_;
  std::jthread thread_;
};

// What may stand at a path that is read or written, as TargetAt lays it out: one kind for
// each way FileWriter and ReadProjectFile take a path.
enum class Target : unsigned char {
  File,        // holding the bytes, mode 0640
  LinkToFile,  // a symbolic link to "file" beside it, which holds the bytes
  ReadFifo,    // a FIFO a thread reads
  UnreadFifo,  // with no reader nor writer: opening it plainly would wait for one
  Device,      // a character device as /dev/null: made only as root
  FullDevice,  // a link to /dev/full, which takes nothing and reads zeros forever
  Socket,
  Folder,
  DanglingLink,
  LinkLoop,
  Count
};

// A kind by its name above, as the data tables write it; Count for none.
inline Target TargetNamed(const std::string& name) {
  static const char* const names[] = {"File",         "LinkToFile", "ReadFifo", "UnreadFifo",
                                      "Device",       "FullDevice", "Socket",   "Folder",
                                      "DanglingLink", "LinkLoop"};
  return Target(std::ranges::find(names, name) - std::begin(names));
}

// `kind` laid out as `name` in a scratch folder of its own, holding `bytes` where it holds
// any. Why() says why it could not be made (a device needs root).
class TargetAt {
 public:
  TargetAt(Target kind, std::span<const unsigned char> bytes, const std::string& name = "target")
      : kind_(kind), path_(folder_.Path() / name) {
    Lay(bytes);
  }

  Target Kind() const { return kind_; }
  const std::filesystem::path& Folder() const { return folder_.Path(); }
  const std::filesystem::path& Path() const { return path_; }
  const std::string& Why() const { return why_; }
  FifoReader* Reader() const { return reader_.get(); }

 private:
  void Lay(std::span<const unsigned char> bytes) {
    namespace fs = std::filesystem;
    const auto put = [&](const fs::path& at) {
      std::ofstream(at, std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
      fs::permissions(at, fs::perms(0640));
    };
    if (kind_ == Target::File) put(path_);
    if (kind_ == Target::LinkToFile) put(folder_ / "file");
    if (kind_ == Target::Folder) fs::create_directory(path_);
    // A socket file is left unbound. A device has /dev/null's numbers: making one needs root,
    // and one made on a file system mounted nodev will not open.
    for (const auto& [node, type] : {std::pair{Target::ReadFifo, S_IFIFO},
                                     {Target::UnreadFifo, S_IFIFO},
                                     {Target::Socket, S_IFSOCK},
                                     {Target::Device, S_IFCHR}})
      if (kind_ == node &&
          ::mknod(path_.c_str(), type | 0600, type == S_IFCHR ? ::makedev(1, 3) : 0))
        why_ = "cannot make " + path_.string() + " (" + std::strerror(errno) + ")";
    if (kind_ == Target::Device && why_.empty() && !std::ofstream(path_))
      why_ = "a device made here cannot be opened";
    if (kind_ == Target::ReadFifo) reader_ = std::make_unique<FifoReader>(path_.string());
    for (const auto& [link, to] : {std::pair{Target::LinkToFile, "file"},
                                   {Target::FullDevice, "/dev/full"},
                                   {Target::DanglingLink, "gone"}})
      if (kind_ == link) fs::create_symlink(to, path_);
    if (kind_ == Target::LinkLoop) fs::create_symlink(path_.filename(), path_);  // to itself
  }

  ScratchFolder folder_{"tarnwick-target"};  // removed once the reader is done
  Target kind_;
  std::filesystem::path path_;
  std::string why_;
  std::unique_ptr<FifoReader> reader_;
};

// An entry of a folder as a write may change it: its name, kind and permissions, where a
// link leads and what stands there with its device numbers, a file's bytes.
struct Entry {
  std::string Name;
  mode_t Mode = 0, LeadsTo = 0;
  dev_t LeadsToNumbers = 0;
  std::string Link = {};
  std::vector<unsigned char> Bytes = {};
  bool operator==(const Entry&) const = default;
};

// Every entry under `folder`, sorted by name.
inline std::vector<Entry> Entries(const std::filesystem::path& folder) {
  std::vector<Entry> entries;
  for (const auto& item : std::filesystem::directory_iterator(folder)) {
    struct stat info = {}, leads = {};
    ::lstat(item.path().c_str(), &info);
    ::stat(item.path().c_str(), &leads);
    entries.push_back({item.path().filename(), info.st_mode, leads.st_mode, leads.st_rdev});
    Entry& entry = entries.back();
    if (S_ISLNK(info.st_mode)) entry.Link = std::filesystem::read_symlink(item.path()).string();
    if (S_ISREG(info.st_mode)) entry.Bytes = FileBytes(item.path());
  }
  std::ranges::sort(entries, {}, &Entry::Name);
  return entries;
}

// Writes to `target` with `write()`, which answers as a WriteResult does, and checks what
// every write promises: 1. a refusal says why, a write done says nothing; 2. a FIFO nobody
// reads is refused at once; 3. a write done to a file, or through a link to one, leaves there
// exactly `bytes` with the file's permissions; 4. nothing else in the folder changes (no
// temporary file is left; links, devices, FIFOs and folders stay; a refused write leaves a
// file byte for byte); 5. a FIFO's reader gets `bytes` from a write done, none from a refusal.
// Gives the answer and the first promise broken, or an empty string.
template <typename Write>
auto WriteChecked(const TargetAt& target, std::span<const unsigned char> bytes, Write write) {
  std::vector<Entry> expected = Entries(target.Folder());
  const auto start = std::chrono::steady_clock::now();
  const auto answer = write();
  const auto took = std::chrono::steady_clock::now() - start;

  const Target kind = target.Kind();
  if (answer.Ok && (kind == Target::File || kind == Target::LinkToFile)) {
    const std::string replaced = kind == Target::File ? target.Path().filename() : "file";
    std::ranges::find(expected, replaced, &Entry::Name)->Bytes.assign(bytes.begin(), bytes.end());
  }
  const char* broken = "";
  if (answer.Ok == !answer.Reason.empty())
    broken = "a refusal without a reason, or a reason for a write done";
  else if (kind == Target::UnreadFifo && took >= std::chrono::seconds(1))
    broken = "a FIFO nobody reads was waited on";
  else if (Entries(target.Folder()) != expected)
    broken = "the folder changed otherwise than by the write";
  else if (target.Reader() &&
           !std::ranges::equal(target.Reader()->Finish(), answer.Ok ? bytes : decltype(bytes)()))
    broken = "the FIFO's reader got other bytes";
  return std::pair(answer, std::string(broken));
}

}  // namespace tarnwick::test_targets
