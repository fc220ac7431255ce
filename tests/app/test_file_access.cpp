// What the command line says of a project file it cannot read: the system's own words for
// why, for whatever may stand at the path (tests/data/file_reads.txt), before anything tries
// to read it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/FileAccess.h"
#include "support/DataTable.h"
#include "support/FileTargets.h"

using namespace tarnwick;
using test_targets::Target;

TEST(FileAccess, onlyARegularFileThatOpensIsReadable) {
  const unsigned char bytes[] = {'Q', '-', 'V', ' ', 'L', 'A'};
  const int rows = ForEachCase("file_reads.txt", [&bytes](const std::string& row) {
    const auto [given, why] = ArgumentsAndExpected(row);
    const test_targets::TargetAt at(test_targets::TargetNamed(given.at(0)), bytes);
    ASSERT_NE(at.Kind(), Target::Count) << row;
    if (!at.Why().empty()) return;  // a device, only as root
    EXPECT_EQ(WhyUnreadable(at.Path().string()).value_or(""), why) << row;
  });
  EXPECT_EQ(rows, int(Target::Count));
  EXPECT_EQ(WhyUnreadable(""), "No such file or directory");
  const test_targets::TargetAt file(Target::File, bytes);
  EXPECT_EQ(WhyUnreadable(file.Path().string() + "/show.qvd"), "Not a directory");
}

TEST(FileAccess, aFileTheUserMayNotReadIsRefusedAsSuch) {
  const test_targets::TargetAt file(Target::File, {});
  std::filesystem::permissions(file.Path(), std::filesystem::perms::none);
  const auto refused = [&file] {
    return WhyUnreadable(file.Path().string()) == "Permission denied";
  };
  EXPECT_EQ(test_targets::InChild([&] { return test_targets::AsNobody() && refused() ? 0 : 1; }),
            0);
}
