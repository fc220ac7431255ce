// libFuzzer target for the project file reader, entirely in memory.
#include <cstddef>
#include <cstdint>

#include "ProjectFileCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tarnwick::CheckProjectFileBytes(std::span<const unsigned char>(data, size));
  return 0;
}
