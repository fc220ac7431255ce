// Replays the fuzzer's seeds and every input that ever failed through the
// reader's contract, so the ordinary build keeps them honest.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../fuzz/ProjectFileCheck.h"

namespace fs = std::filesystem;

TEST(FuzzReplay, seedsAndPastFailuresKeepTheReadersContract) {
  const fs::path root = fs::path(TARNWICK_SOURCE_DIR) / "tests" / "fuzz";
  int replayed = 0;
  for (const char* folder : {"corpus", "failures"})
    for (const auto& entry : fs::directory_iterator(root / folder)) {
      if (!entry.is_regular_file() || entry.path().filename() == ".keep") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::vector<unsigned char> bytes(std::istreambuf_iterator<char>(in), {});
      tarnwick::CheckProjectFileBytes(bytes);
      ++replayed;
    }
  EXPECT_GE(replayed, 2);
}
