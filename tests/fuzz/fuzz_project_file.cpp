// libFuzzer target for the project file reader: each input is decoded in memory and read
// through a path where its last byte picks what stands (a file holding the input, a
// folder, a FIFO, a link of some kind...; see test_targets::Target).
#include <cstddef>
#include <cstdint>

#include "ProjectFileCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const unsigned char> bytes(data, size);
  tarnwick::CheckProjectFileBytes(bytes);
  tarnwick::CheckProjectFilePath(bytes, tarnwick::TargetFor(bytes));
  return 0;
}
