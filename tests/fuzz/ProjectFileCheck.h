#pragma once

#include <cstdlib>
#include <span>

#include "files/ProjectFile.h"

namespace tarnwick {

// The reader's contract for any bytes at all: either the project is loaded
// and writing it again and reading that back gives the same record, or it
// is refused and the project is exactly as it was. Aborts on a breach.
inline void CheckProjectFileBytes(std::span<const unsigned char> bytes) {
  ProjectData base = MakeDefaultProject();
  base.AreaLength[2] = 77.0f;  // a stale entry that must survive either way
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

}  // namespace tarnwick
