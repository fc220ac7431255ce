#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <span>

#include "files/ProjectFile.h"
#include "support/FileTargets.h"

namespace tarnwick {

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

// The reader's contract for any bytes at all, the options block after the data included:
// either the project is loaded and writing it again and reading that back gives the same
// record, or it is refused and the project is exactly as it was. Aborts on a breach.
inline void CheckProjectFileBytes(std::span<const unsigned char> bytes) {
  const ProjectData base = StaleProject();
  ProjectData project = base;
  if (DecodeProject(bytes, project) != LoadStatus::Loaded)
    return Require(project == base, "a refusal changed the project");
  ProjectFileHeader header;
  ProjectData reread = base;
  Require(DecodeProject(EncodeProject(project, header), reread) == LoadStatus::Loaded &&
              reread == project,
          "a loaded project read back differently");
}

// The kind for fuzzer input: its last byte picks what stands at the path the reader is given.
// The reader ignores bytes after the data, so a seed keeps loading whatever kind it picks.
inline Target TargetFor(std::span<const unsigned char> bytes) {
  return bytes.empty() ? Target::File : Target(bytes.back() % int(Target::Count));
}

// The path side of the reader's contract, for `kind` holding the bytes: the reader answers
// at once, whatever stands at the path; a file gives exactly what decoding its bytes in
// memory gives; anything else is Damaged and leaves the project as it was. Aborts on a breach.
inline void CheckProjectFilePath(std::span<const unsigned char> bytes, Target kind) {
  const test_targets::TargetAt target(kind, bytes);
  if (!target.Why().empty()) return;  // a device needs root
  const ProjectData base = StaleProject();
  ProjectData project = base, expected = base;
  // Given a few seconds: a reader that waits on a FIFO or a device would hang the run.
  auto reading = std::async(std::launch::async,
                            [&] { return ReadProjectFile(target.Path().string(), project); });
  Require(reading.wait_for(std::chrono::seconds(10)) == std::future_status::ready,
          "the reader waited on a path");
  const bool file = kind == Target::File || kind == Target::LinkToFile;
  Require(reading.get() == (file ? DecodeProject(bytes, expected) : LoadStatus::Damaged),
          "the path gave another answer than the bytes in memory");
  Require(project == expected, "the path gave another project than the bytes in memory");
}

}  // namespace tarnwick
