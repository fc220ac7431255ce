#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <optional>
#include <span>
#include <vector>

#include "files/FileWriter.h"
#include "files/ProjectFile.h"
#include "support/FileTargets.h"

namespace tarnwick {

// Ends the run on a broken contract, saying which one.
[[noreturn]] inline void ProjectFileBreach(const char* what) {
  std::fprintf(stderr, "project file check: %s\n", what);
  std::abort();
}

inline void Require(bool done, const char* what) {
  if (!done) ProjectFileBreach(what);
}

// The default project with a stale entry that must survive a load or a refusal alike.
inline ProjectData StaleProject() {
  ProjectData base = MakeDefaultProject();
  base.AreaLength[2] = 77.0f;
  return base;
}

// The reader's contract for any bytes at all: either the project is loaded
// and writing it again and reading that back gives the same record, or it
// is refused and the project is exactly as it was. Aborts on a breach.
inline void CheckProjectFileBytes(std::span<const unsigned char> bytes) {
  const ProjectData base = StaleProject();
  ProjectData project = base;
  const LoadStatus status = DecodeProject(bytes, project);
  if (status != LoadStatus::Loaded) {
    if (!(project == base)) std::abort();
    return;
  }
  ProjectFileHeader header;
  const std::vector<unsigned char> again = EncodeProject(project, header);
  ProjectData reread = base;
  if (DecodeProject(again, reread) != LoadStatus::Loaded || !(reread == project)) std::abort();
}

// What stands at the path the file reader is given.
enum class PathKind : unsigned char {
  RegularFile,  // holding the bytes
  EmptyFile,
  UnreadableFile,  // the bytes, mode 000: refused unless run as root
  LinkToFile,      // a symbolic link to a file holding the bytes
  Folder,
  Fifo,      // with no writer: opening it plainly would wait for one
  FullFifo,  // holding the bytes, its writer still open
  LinkToFifo,
  Socket,
  LinkToDevice,  // /dev/zero, which would never end if read
  DanglingLink,
  LinkLoop,
  UnderFile,  // a file where the path needs a folder
  Count
};

// The kind for fuzzer input: its last byte picks it. The reader ignores
// bytes after the data, so a seed keeps loading whatever kind it picks.
inline PathKind PathKindFor(std::span<const unsigned char> bytes) {
  if (bytes.empty()) return PathKind::RegularFile;
  return PathKind(bytes.back() % static_cast<unsigned char>(PathKind::Count));
}

// A folder of this process's own for the path checks, removed at the end.
struct ProjectFileScratch : test_targets::ScratchFolder {
  ProjectFileScratch() : ScratchFolder("tarnwick-fuzz") {}
};

namespace project_file_check {

namespace fs = std::filesystem;

inline void WriteBytes(const fs::path& path, std::span<const unsigned char> bytes) {
  if (!test_targets::PutBytes(path, bytes))
    ProjectFileBreach("cannot write a file in the scratch folder");
}

// ReadProjectFile, given a few seconds: a reader that waits on a FIFO or a
// device would hang the run, so that ends it as a breach instead.
inline LoadStatus ReadWithoutWaiting(const fs::path& path, ProjectData& project) {
  auto reading =
      std::async(std::launch::async, [&] { return ReadProjectFile(path.string(), project); });
  if (reading.wait_for(std::chrono::seconds(10)) != std::future_status::ready)
    ProjectFileBreach("the reader waited on a path");
  return reading.get();
}

inline void MakeFifo(const fs::path& path) {
  Require(::mkfifo(path.c_str(), 0600) == 0, "cannot make a FIFO");
}

}  // namespace project_file_check

// The path side of the reader's contract, for `kind` laid out in a fresh
// folder under `scratch` and removed again after:
// 1. The reader answers at once, whatever stands at the path.
// 2. A regular file it may read gives exactly what decoding its bytes in
//    memory gives; anything else is Damaged and leaves the project as it was.
// 3. A loaded project saved through the same path, and to a new file, reads
//    back equal from both, as the bytes EncodeProject gives; a link stays a
//    link, and no temporary file is left.
// Aborts on a breach.
inline void CheckProjectFilePath(std::span<const unsigned char> bytes, PathKind kind,
                                 const std::filesystem::path& scratch) {
  using namespace project_file_check;
  const fs::path folder = scratch / "case";
  fs::remove_all(folder);
  fs::create_directory(folder);
  const fs::path file = folder / "file.qvd";
  fs::path path = folder / "project.qvd";
  std::span<const unsigned char> content = bytes;  // what a readable file holds
  bool readable = kind == PathKind::RegularFile || kind == PathKind::EmptyFile ||
                  kind == PathKind::LinkToFile || kind == PathKind::UnreadableFile;
  int fifo_writer = -1;

  // 1. What stands at the path.
  switch (kind) {
    case PathKind::RegularFile:
      WriteBytes(path, bytes);
      break;
    case PathKind::EmptyFile:
      WriteBytes(path, {});
      content = {};
      break;
    case PathKind::UnreadableFile:
      WriteBytes(path, bytes);
      fs::permissions(path, fs::perms::none);
      readable = ::access(path.c_str(), R_OK) == 0;  // root reads it anyway
      break;
    case PathKind::LinkToFile:
      WriteBytes(file, bytes);
      fs::create_symlink("file.qvd", path);
      break;
    case PathKind::Folder:
      fs::create_directory(path);
      break;
    case PathKind::Socket:
      if (const int socket = test_targets::ListeningSocket(path.string()); socket >= 0) {
        ::close(socket);
        break;
      }
      Require(path.string().size() >= sizeof sockaddr_un{}.sun_path, "cannot make a socket");
      [[fallthrough]];  // a path too long for a socket gets a FIFO instead
    case PathKind::Fifo:
      MakeFifo(path);
      break;
    case PathKind::FullFifo: {
      MakeFifo(path);
      fifo_writer = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
      Require(fifo_writer >= 0, "cannot open the FIFO");
      const ssize_t written = ::write(fifo_writer, bytes.data(), bytes.size());
      (void)written;  // as much as the pipe takes
      break;
    }
    case PathKind::LinkToFifo:
      MakeFifo(file);
      fs::create_symlink("file.qvd", path);
      break;
    case PathKind::LinkToDevice:
      fs::create_symlink("/dev/zero", path);
      break;
    case PathKind::DanglingLink:
      fs::create_symlink("gone.qvd", path);
      break;
    case PathKind::LinkLoop:
      fs::create_symlink("loop.qvd", path);
      fs::create_symlink("project.qvd", folder / "loop.qvd");
      break;
    case PathKind::UnderFile:
      WriteBytes(file, bytes);
      path = file / "project.qvd";
      break;
    case PathKind::Count:
      ProjectFileBreach("no such kind of path");
  }

  // 2. Reading it.
  const ProjectData base = StaleProject();
  ProjectData project = base;
  const LoadStatus status = ReadWithoutWaiting(path, project);
  if (fifo_writer >= 0) ::close(fifo_writer);
  ProjectData expected = base;
  const LoadStatus expected_status =
      readable ? DecodeProject(content, expected) : LoadStatus::Damaged;
  Require(status == expected_status, "the path gave another answer than the bytes in memory");
  Require(project == expected, "the path gave another project than the bytes in memory");

  // 3. Saving a loaded project through the same path and to a new file.
  if (status == LoadStatus::Loaded) {
    const auto entries = [&] { return std::distance(fs::directory_iterator(folder), {}); };
    const auto before = entries();
    ProjectFileHeader header;
    const std::vector<unsigned char> encoded = EncodeProject(project, header);
    const fs::path saved = folder / "saved.qvd";
    Require(WriteProjectFile(path.string(), project, header), "cannot save through the path");
    Require(WriteProjectFile(saved.string(), project, header), "cannot save to a new file");
    Require(entries() == before + 1, "a save left a temporary file");
    const fs::path written = kind == PathKind::LinkToFile ? file : path;
    Require(kind != PathKind::LinkToFile || fs::is_symlink(path), "a save replaced the link");
    Require(
        test_targets::FileBytes(written) == encoded && test_targets::FileBytes(saved) == encoded,
        "a save wrote other bytes than the encoding");
    for (const fs::path& again : {path, saved}) {
      ProjectData reread = base;
      Require(ReadWithoutWaiting(again, reread) == LoadStatus::Loaded && reread == project,
              "a saved project read back differently");
    }
  }
  fs::remove_all(folder);
}

// What stands where a loaded project is written.
enum class WriteKind : unsigned char {
  RegularFile,  // holding other bytes, mode 0640
  LinkToFile,   // a symbolic link to such a file
  Device,       // a character device as /dev/null: made only as root, else not tried
  FullDevice,   // one as /dev/full, which takes nothing: made only as root
  ReadFifo,     // a FIFO a thread reads
  UnreadFifo,   // a FIFO nobody reads
  Folder,       // holding a file
  SizeLimit,    // a regular file, the new one stopped half way by a file size limit
  Count
};

// The kind for fuzzer input: its last byte but one picks it (the last picks the path
// the reader is given).
inline WriteKind WriteKindFor(std::span<const unsigned char> bytes) {
  if (bytes.size() < 2) return WriteKind::RegularFile;
  return WriteKind(bytes[bytes.size() - 2] % static_cast<unsigned char>(WriteKind::Count));
}

// The writer's side for `kind` laid out in a fresh folder under `scratch`: bytes that
// decode are saved as the window saves (files only) and as the command line's --out
// writes (any stream), and after each write
// 1. a file or a link's file holds exactly the encoding, with its permissions, and the
//    link is still a link;
// 2. a device is still a device and a FIFO still a FIFO; the FIFO's reader got the
//    encoding from the --out write and nothing from the window's; a FIFO nobody reads is
//    refused within a second;
// 3. a refused write leaves what was there byte for byte (a folder's files too), and
//    says why;
// 4. the folder holds the same names as before: no temporary file is left.
// Aborts on a breach.
inline void CheckProjectFileWrite(std::span<const unsigned char> bytes, WriteKind kind,
                                  const std::filesystem::path& scratch) {
  using namespace project_file_check;
  using namespace test_targets;
  ProjectData project = MakeDefaultProject();
  if (DecodeProject(bytes, project) != LoadStatus::Loaded) return;
  ProjectFileHeader header;
  const std::vector<unsigned char> encoded = EncodeProject(project, header);
  const fs::path folder = scratch / "write";
  fs::remove_all(folder);
  fs::create_directory(folder);
  const fs::path file = folder / "file.qvd", path = folder / "target.qvd";
  const std::vector<unsigned char> old(bytes.begin(), bytes.begin() + bytes.size() / 3);
  const unsigned minor = kind == WriteKind::Device ? 3 : 7;  // /dev/null's or /dev/full's
  const bool regular = kind == WriteKind::RegularFile || kind == WriteKind::LinkToFile ||
                       kind == WriteKind::SizeLimit;
  switch (kind) {
    case WriteKind::RegularFile:
    case WriteKind::SizeLimit:
      WriteBytes(path, old);
      fs::permissions(path, fs::perms(0640));
      break;
    case WriteKind::LinkToFile:
      WriteBytes(file, old);
      fs::permissions(file, fs::perms(0640));
      fs::create_symlink("file.qvd", path);
      break;
    case WriteKind::Device:
    case WriteKind::FullDevice:
      if (!MakeCharDevice(path, minor).empty()) {
        fs::remove_all(folder);
        return;  // not root: no device to write to
      }
      break;
    case WriteKind::ReadFifo:
    case WriteKind::UnreadFifo:
      MakeFifo(path);
      break;
    case WriteKind::Folder:
      fs::create_directory(path);
      WriteBytes(path / "inside.qvd", old);
      break;
    case WriteKind::Count:
      ProjectFileBreach("no such kind of target");
  }
  const fs::path holder = kind == WriteKind::LinkToFile ? file : path;
  const std::vector<std::string> names = FolderNames(folder);
  std::optional<FifoReader> reader;
  if (kind == WriteKind::ReadFifo) reader.emplace(path.string());

  for (const WriteTargets allowed : {WriteTargets::RegularOnly, WriteTargets::AnyStream}) {
    // Only files are read: a FIFO would wait for a writer, a full device never ends.
    const std::vector<unsigned char> before = kind == WriteKind::Folder
                                                  ? FileBytes(path / "inside.qvd")
                                              : regular ? FileBytes(holder)
                                                        : std::vector<unsigned char>();
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    if (kind == WriteKind::SizeLimit) {
      rlimit small = limit;
      small.rlim_cur = std::max<rlim_t>(1, encoded.size() / 2);
      ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ProjectFileHeader written;
    const auto start = std::chrono::steady_clock::now();
    const WriteResult result = WriteProjectFile(path.string(), project, written, allowed);
    const auto took = std::chrono::steady_clock::now() - start;
    if (kind == WriteKind::SizeLimit) ::setrlimit(RLIMIT_FSIZE, &limit);

    const bool stream = kind == WriteKind::Device || kind == WriteKind::ReadFifo;
    const bool expected = (kind == WriteKind::RegularFile || kind == WriteKind::LinkToFile) ||
                          (stream && allowed == WriteTargets::AnyStream);
    Require(result.Ok == expected, result.Ok ? "a write that must be refused was done"
                                             : "a write that must be done was refused");
    Require(result.Ok == result.Reason.empty(), "a refusal without a reason, or a reason for none");
    Require(!result.Ok || written.DataLength == header.DataLength, "a write set another length");
    if (regular) {
      Require(fs::is_regular_file(fs::symlink_status(holder)), "a file is no file any more");
      Require(FileBytes(holder) == (result.Ok ? encoded : before),
              result.Ok ? "a file holds other bytes than the encoding"
                        : "a refused write changed the file");
      Require(fs::status(holder).permissions() == fs::perms(0640), "a file's permissions changed");
      Require(kind != WriteKind::LinkToFile || fs::is_symlink(path), "a write replaced the link");
    }
    if (kind == WriteKind::Device || kind == WriteKind::FullDevice)
      Require(IsCharDevice(path, minor), "a device is no device any more");
    if (kind == WriteKind::ReadFifo || kind == WriteKind::UnreadFifo)
      Require(IsFifo(path), "a FIFO is no FIFO any more");
    if (kind == WriteKind::UnreadFifo)
      Require(took < std::chrono::seconds(1), "a FIFO nobody reads was waited on");
    if (kind == WriteKind::Folder)
      Require(fs::is_directory(fs::symlink_status(path)) &&
                  FolderNames(path) == std::vector<std::string>{"inside.qvd"} &&
                  FileBytes(path / "inside.qvd") == before,
              "a folder was changed");
    Require(FolderNames(folder) == names, "a write left a temporary file or took a name");
  }
  if (reader) Require(reader->Finish() == encoded, "a FIFO's reader got other bytes");
  fs::remove_all(folder);
}

}  // namespace tarnwick
