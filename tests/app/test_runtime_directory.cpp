// The runtime folder made where none is named: private to the user, so that Qt takes it
// without a warning, and never a link, a file or someone else's folder put in its place.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "app/RuntimeDirectory.h"
#include "support/FileTargets.h"

using namespace tarnwick;
namespace fs = std::filesystem;

namespace {

std::optional<std::string> Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

// Each case runs with no runtime folder named and TMPDIR at a scratch folder of its own,
// the process's own TMPDIR put back afterwards for the next case's scratch folder.
class RuntimeDirectory : public testing::Test {
 protected:
  void SetUp() override {
    ::unsetenv("XDG_RUNTIME_DIR");
    ::setenv("TMPDIR", scratch_.Path().c_str(), 1);
  }
  void TearDown() override {
    temporary_ ? ::setenv("TMPDIR", temporary_->c_str(), 1) : ::unsetenv("TMPDIR");
  }
  // Refused: no folder is named for Qt to take.
  static void ExpectRefused() {
    EXPECT_FALSE(PrepareRuntimeDirectory());
    EXPECT_EQ(Variable("XDG_RUNTIME_DIR"), std::nullopt);
  }

  const std::optional<std::string> temporary_ = Variable("TMPDIR");
  const test_targets::ScratchFolder scratch_{"tarnwick-runtime"};  // before TMPDIR moves
  const std::string own_ = scratch_ / ("runtime-" + std::to_string(::geteuid()));
};

// The mode bits and owner of what stands at `path`, links not followed.
std::optional<std::pair<unsigned, uid_t>> ModeAndOwner(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
  return std::pair{unsigned(info.st_mode & 07777), info.st_uid};
}

}  // namespace

// That Qt takes it without a warning, and the next start takes it again: the program's own
// runs in test_command_line_output.
TEST_F(RuntimeDirectory, makesAPrivateFolderWhateverTheUmask) {
  ::setenv("XDG_RUNTIME_DIR", "", 1);  // as good as unset, to Qt too
  const mode_t mask = ::umask(022);
  EXPECT_TRUE(PrepareRuntimeDirectory());
  ::umask(mask);
  EXPECT_EQ(Variable("XDG_RUNTIME_DIR"), own_);
  EXPECT_EQ(ModeAndOwner(own_), std::pair(0700u, ::geteuid()));
}

TEST_F(RuntimeDirectory, narrowsItsOwnFolderLeftOpenToOthers) {
  fs::create_directory(own_);
  fs::permissions(own_, fs::perms(0755));
  EXPECT_TRUE(PrepareRuntimeDirectory());
  EXPECT_EQ(ModeAndOwner(own_), std::pair(0700u, ::geteuid()));
}

TEST_F(RuntimeDirectory, leavesAFolderTheEnvironmentNamesAlone) {
  ::setenv("XDG_RUNTIME_DIR", "/run/user/somewhere", 1);
  EXPECT_TRUE(PrepareRuntimeDirectory());
  EXPECT_EQ(Variable("XDG_RUNTIME_DIR"), "/run/user/somewhere");
  EXPECT_FALSE(fs::exists(own_));
}

TEST_F(RuntimeDirectory, refusesALinkAFileOrNoPlaceToMakeIt) {
  const std::string target = scratch_ / "elsewhere";
  fs::create_directory(target);
  fs::permissions(target, fs::perms(0755));
  fs::create_directory_symlink(target, own_);
  ExpectRefused();
  EXPECT_TRUE(fs::is_symlink(own_));
  EXPECT_EQ(ModeAndOwner(target), std::pair(0755u, ::geteuid()));  // not narrowed through it

  fs::remove(own_);
  std::ofstream(own_) << "not a folder";
  ExpectRefused();
  EXPECT_TRUE(fs::is_regular_file(own_));

  ::setenv("TMPDIR", (scratch_ / "gone").c_str(), 1);
  ExpectRefused();
}

TEST_F(RuntimeDirectory, refusesAFolderSomeoneElseOwns) {
  fs::create_directory(own_);
  fs::permissions(own_, fs::perms(0777));
  if (::chown(own_.c_str(), 65534, 65534) != 0)
    GTEST_SKIP() << "giving a folder to another user needs root";
  ExpectRefused();
  EXPECT_EQ(ModeAndOwner(own_), std::pair(0777u, uid_t(65534)));
}
