#pragma once

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <span>
#include <vector>

#include "files/FileWriter.h"
#include "files/ProjectFile.h"
#include "support/FileTargets.h"

namespace tarnwick {

using test_targets::IsAmong;
using test_targets::Target;

// Ends the run on a broken contract, saying which one.
inline void Require(bool kept, const char* what) {
  if (kept) return;
  std::fprintf(stderr, "project file check: %s\n", what);
  std::abort();
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
  if (DecodeProject(bytes, project) != LoadStatus::Loaded) {
    Require(project == base, "a refusal changed the project");
    return;
  }
  ProjectFileHeader header;
  ProjectData reread = base;
  Require(DecodeProject(EncodeProject(project, header), reread) == LoadStatus::Loaded &&
              reread == project,
          "a loaded project read back differently");
}

// The kinds for fuzzer input: its last byte picks what stands at the path the reader is
// given, the byte before it what stands where the project is written. The reader ignores
// bytes after the data, so a seed keeps loading whatever kinds it picks.
inline Target TargetFor(std::span<const unsigned char> bytes, std::size_t fromEnd) {
  if (bytes.size() < fromEnd) return Target::File;
  return Target(bytes[bytes.size() - fromEnd] % static_cast<unsigned char>(Target::Count));
}

// A folder of this process's own for the path checks, removed at the end.
struct ProjectFileScratch : test_targets::ScratchFolder {
  ProjectFileScratch() : ScratchFolder("tarnwick-fuzz") {}
};

// ReadProjectFile, given a few seconds: a reader that waits on a FIFO or a
// device would hang the run, so that ends it as a breach instead.
inline LoadStatus ReadWithoutWaiting(const std::filesystem::path& path, ProjectData& project) {
  auto reading =
      std::async(std::launch::async, [&] { return ReadProjectFile(path.string(), project); });
  Require(reading.wait_for(std::chrono::seconds(10)) == std::future_status::ready,
          "the reader waited on a path");
  return reading.get();
}

// The path side of the reader's contract, for `kind` holding the bytes in a folder under
// `scratch`: the reader answers at once, whatever stands at the path; a file it may read
// gives exactly what decoding its bytes in memory gives; anything else is Damaged and
// leaves the project as it was. Aborts on a breach.
inline void CheckProjectFilePath(std::span<const unsigned char> bytes, Target kind,
                                 const std::filesystem::path& scratch) {
  const test_targets::TargetAt target(kind, scratch / "read", bytes);
  if (!target.Why().empty()) return;  // a device or a mount needs root
  const bool file = IsAmong(kind, {Target::File, Target::EmptyFile, Target::UnreadableFile,
                                   Target::LinkToFile, Target::SizeLimit, Target::FullDisk}) &&
                    ::access(target.Path().c_str(), R_OK) == 0;  // root reads it anyway
  const ProjectData base = StaleProject();
  ProjectData project = base, expected = base;
  const LoadStatus status = ReadWithoutWaiting(target.Path(), project);
  const auto content = kind == Target::EmptyFile ? std::span<const unsigned char>() : bytes;
  const LoadStatus expected_status = file ? DecodeProject(content, expected) : LoadStatus::Damaged;
  Require(status == expected_status, "the path gave another answer than the bytes in memory");
  Require(project == expected, "the path gave another project than the bytes in memory");
}

// The writer's side, for `kind` holding the bytes twice over in a folder under `scratch`:
// bytes that decode are saved as the window saves (files only) and as the command line's
// --out writes (any stream). A file, a link to one and a new name take the encoding (a
// longer file's tail gone) and read back as the project; a device or a FIFO that is read
// takes it from --out only; all else is refused. Every write keeps the promises
// WriteChecked checks, and sets the length of the data. Aborts on a breach.
inline void CheckProjectFileWrite(std::span<const unsigned char> bytes, Target kind,
                                  const std::filesystem::path& scratch) {
  ProjectData project = MakeDefaultProject();
  // A full FIFO whose only reader is its own writer would take a write forever.
  if (kind == Target::FullFifo || DecodeProject(bytes, project) != LoadStatus::Loaded) return;
  ProjectFileHeader header;
  const std::vector<unsigned char> encoded = EncodeProject(project, header);
  std::vector<unsigned char> old(bytes.begin(), bytes.end());  // longer than the encoding
  old.insert(old.end(), bytes.begin(), bytes.end());
  for (const WriteTargets allowed : {WriteTargets::RegularOnly, WriteTargets::AnyStream}) {
    const test_targets::TargetAt target(kind, scratch / "write", old);
    if (!target.Why().empty()) return;  // a device or a mount needs root
    const std::string path = target.Path().string();
    const bool file = IsAmong(kind, {Target::File, Target::EmptyFile, Target::UnreadableFile,
                                     Target::LinkToFile, Target::FullDisk}) &&
                      ::access(path.c_str(), W_OK) == 0;  // root writes it anyway
    const bool stream = IsAmong(kind, {Target::ReadFifo, Target::Device, Target::LinkToDevice});
    ProjectFileHeader written;
    const auto [result, broken] = test_targets::WriteChecked(
        target, encoded, [&] { return WriteProjectFile(path, project, written, allowed); });
    Require(broken.empty(), broken.c_str());
    Require(result.Ok ==
                (file || kind == Target::Nothing || (stream && allowed == WriteTargets::AnyStream)),
            result.Ok ? "a write that must be refused was done"
                      : "a write that must be done was refused");
    Require(!result.Ok || written.DataLength == header.DataLength, "a write set another length");
    ProjectData reread = MakeDefaultProject();
    Require(!result.Ok || stream ||
                (ReadWithoutWaiting(path, reread) == LoadStatus::Loaded && reread == project),
            "a saved project read back differently");
  }
}

}  // namespace tarnwick
