// libFuzzer target for the project file reader: each input is decoded in
// memory, and also read through a path in a scratch folder, where its last
// byte picks what stands at the path (a file holding the input, a folder, a
// FIFO, a link of some kind...). When it decodes, the project is also written where
// its last byte but one picks what stands (a file, a link, a device, a FIFO read or not,
// a folder, a file size limit reached half way).
#include <cstddef>
#include <cstdint>

#include "ProjectFileCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const tarnwick::ProjectFileScratch scratch;
  const std::span<const unsigned char> bytes(data, size);
  tarnwick::CheckProjectFileBytes(bytes);
  tarnwick::CheckProjectFilePath(bytes, tarnwick::PathKindFor(bytes), scratch.Path());
  tarnwick::CheckProjectFileWrite(bytes, tarnwick::WriteKindFor(bytes), scratch.Path());
  return 0;
}
