// libFuzzer target for the project file reader: each input is decoded in memory, read
// through a path where its last byte picks what stands (a file holding the input, a
// folder, a FIFO, a link of some kind...), and, when it decodes, written where its last
// byte but one picks what stands (see test_targets::Target).
#include <cstddef>
#include <cstdint>

#include "ProjectFileCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const tarnwick::ProjectFileScratch scratch;
  const std::span<const unsigned char> bytes(data, size);
  tarnwick::CheckProjectFileBytes(bytes);
  tarnwick::CheckProjectFilePath(bytes, tarnwick::TargetFor(bytes, 1), scratch.Path());
  tarnwick::CheckProjectFileWrite(bytes, tarnwick::TargetFor(bytes, 2), scratch.Path());
  return 0;
}
