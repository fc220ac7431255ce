// The one writer of every file: what it does with each kind of thing at a path, and
// that a failure half way leaves the old file exactly as it was.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <chrono>
#include <string>

#include "files/FileWriter.h"
#include "support/FileTargets.h"

using namespace tarnwick;
using namespace tarnwick::test_targets;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;
using Names = std::vector<std::string>;

// Bytes that differ from one seed and position to the next.
Bytes Pattern(std::size_t size, unsigned seed) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = (unsigned char)(i * 131 + seed * 7 + i / 251);
  return bytes;
}

// What a write answered, and the answer of a refusal for `why`.
std::pair<bool, std::string> Answer(const WriteResult& r) { return {r.Ok, r.Reason}; }
std::pair<bool, std::string> Refused(const std::string& why) { return {false, why}; }

ino_t Inode(const fs::path& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return info.st_ino;
}

class FileWriterTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::permissions(dir_, fs::perms(0755)); }
  std::string At(const char* name) const { return scratch_ / name; }

  ScratchFolder scratch_{std::string("tarnwick-writer-") +
                         ::testing::UnitTest::GetInstance()->current_test_info()->name()};
  const fs::path& dir_ = scratch_.Path();
};

}  // namespace

TEST_F(FileWriterTest, replacesARegularFileWholeKeepingItsPermissions) {
  const Bytes old = Pattern(5000, 1), fresh = Pattern(100, 2);
  PutBytes(At("file"), old);
  fs::permissions(At("file"), fs::perms(0640));
  const ino_t before = Inode(At("file"));
  // Whoever still reads the old file reads it whole: it was replaced, not rewritten.
  std::ifstream reading(At("file"), std::ios::binary);
  ASSERT_EQ(Answer(WriteFile(At("file"), fresh, WriteTargets::RegularOnly)),
            std::pair(true, std::string()));
  EXPECT_EQ(FileBytes(At("file")), fresh);
  EXPECT_EQ(fs::status(At("file")).permissions(), fs::perms(0640));
  EXPECT_NE(Inode(At("file")), before);
  EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(reading), {}), old);
  // A new name gets 0666 less the umask.
  const mode_t mask = ::umask(027);
  EXPECT_TRUE(WriteFile(At("new"), std::string_view("text"), WriteTargets::AnyStream).Ok);
  ::umask(mask);
  EXPECT_EQ(fs::status(At("new")).permissions(), fs::perms(0640));
  EXPECT_EQ(FileBytes(At("new")), Bytes({'t', 'e', 'x', 't'}));
  EXPECT_EQ(FolderNames(dir_), Names({"file", "new"}));
}

TEST_F(FileWriterTest, rootReplacingAUsersFileLeavesItTheUsers) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
  PutBytes(At("theirs"), Pattern(10, 1));
  ASSERT_EQ(::chown(At("theirs").c_str(), 65534, 65534), 0);
  ASSERT_TRUE(WriteFile(At("theirs"), Pattern(20, 2), WriteTargets::RegularOnly).Ok);
  struct stat info;
  ASSERT_EQ(::stat(At("theirs").c_str(), &info), 0);
  EXPECT_EQ(std::pair(info.st_uid, info.st_gid), std::pair(65534u, 65534u));
  EXPECT_EQ(FileBytes(At("theirs")), Pattern(20, 2));
}

TEST_F(FileWriterTest, replacesWhatALinkPointsToNotTheLink) {
  PutBytes(At("target"), Pattern(300, 1));
  fs::create_symlink("target", At("link"));
  const Bytes fresh = Pattern(40, 3);
  ASSERT_TRUE(WriteFile(At("link"), fresh, WriteTargets::RegularOnly).Ok);
  EXPECT_TRUE(fs::is_symlink(At("link")));
  EXPECT_EQ(fs::read_symlink(At("link")), fs::path("target"));
  EXPECT_EQ(FileBytes(At("target")), fresh);
  // A link to nothing is not followed into a new file.
  fs::create_symlink("gone", At("dangling"));
  EXPECT_EQ(Answer(WriteFile(At("dangling"), fresh, WriteTargets::AnyStream)),
            Refused("is a link to nothing"));
  EXPECT_EQ(FolderNames(dir_), Names({"dangling", "link", "target"}));
}

TEST_F(FileWriterTest, writesToACharacterDeviceWhereItStands) {
  if (const std::string why = MakeCharDevice(At("device")); !why.empty()) GTEST_SKIP() << why;
  fs::create_symlink("device", At("link"));
  for (const char* name : {"device", "link"}) {
    const WriteResult written = WriteFile(At(name), Pattern(300000, 4), WriteTargets::AnyStream);
    EXPECT_TRUE(written.Ok) << name << ": " << written.Reason;
    EXPECT_TRUE(IsCharDevice(At("device"))) << name;
  }
  EXPECT_TRUE(fs::is_symlink(At("link")));
  // A device that takes nothing refuses the write, and is still there.
  ASSERT_EQ(MakeCharDevice(At("full"), 7), "");
  EXPECT_EQ(Answer(WriteFile(At("full"), Pattern(10, 5), WriteTargets::AnyStream)),
            Refused("disk full"));
  EXPECT_TRUE(IsCharDevice(At("full"), 7));
  EXPECT_EQ(FolderNames(dir_), Names({"device", "full", "link"}));
}

TEST_F(FileWriterTest, feedsAFifoThatIsReadEveryByteInOrder) {
  ASSERT_EQ(::mkfifo(At("fifo").c_str(), 0600), 0);
  const Bytes bytes = Pattern(1 << 20, 6);  // many times what a pipe holds
  FifoReader reader(At("fifo"));
  ASSERT_TRUE(reader.Reading());
  const WriteResult written = WriteFile(At("fifo"), bytes, WriteTargets::AnyStream);
  EXPECT_TRUE(written.Ok) << written.Reason;
  EXPECT_TRUE(reader.Finish() == bytes);
  EXPECT_TRUE(IsFifo(At("fifo")));
  EXPECT_EQ(FolderNames(dir_), Names({"fifo"}));
}

TEST_F(FileWriterTest, refusesAFifoNobodyReadsAtOnce) {
  ASSERT_EQ(::mkfifo(At("fifo").c_str(), 0600), 0);
  ::alarm(20);  // a writer that waits for a reader would hang here: end the test instead
  const auto start = std::chrono::steady_clock::now();
  const auto written = Answer(WriteFile(At("fifo"), Pattern(100, 7), WriteTargets::AnyStream));
  const auto took = std::chrono::steady_clock::now() - start;
  ::alarm(0);
  EXPECT_EQ(written, Refused("no program is reading the FIFO"));
  EXPECT_LT(took, std::chrono::seconds(1));
  EXPECT_TRUE(IsFifo(At("fifo")));
  EXPECT_EQ(FolderNames(dir_), Names({"fifo"}));
}

TEST_F(FileWriterTest, writesTheProgramsOwnStreamsWhereTheyStand) {
  // A pipe by its descriptor's names, read on the other end.
  int ends[2];
  ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
  const std::string readEnd = "/proc/self/fd/" + std::to_string(ends[0]);
  FifoReader reader(readEnd);
  ::close(ends[0]);
  const Bytes first = Pattern(100000, 8), second = Pattern(10, 9);
  EXPECT_TRUE(
      WriteFile("/proc/self/fd/" + std::to_string(ends[1]), first, WriteTargets::AnyStream));
  EXPECT_TRUE(WriteFile("/dev/fd/" + std::to_string(ends[1]), second, WriteTargets::AnyStream));
  ::close(ends[1]);
  Bytes both = first;
  both.insert(both.end(), second.begin(), second.end());
  EXPECT_TRUE(reader.Finish() == both);
  // A file the program's output was sent to is written on at its end, not replaced or cut.
  PutBytes(At("output"), Bytes{'h', 'e', 'a', 'd'});
  const int fd = ::open(At("output").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  const ino_t before = Inode(At("output"));
  EXPECT_TRUE(WriteFile("/proc/self/fd/" + std::to_string(fd), std::string_view("tail"),
                        WriteTargets::AnyStream));
  ::close(fd);
  EXPECT_EQ(FileBytes(At("output")), Bytes({'h', 'e', 'a', 'd', 't', 'a', 'i', 'l'}));
  EXPECT_EQ(Inode(At("output")), before);
  // A descriptor that is not open, a name under /dev/std that is none, and projects.
  EXPECT_EQ(WriteFile("/proc/self/fd/987654", first, WriteTargets::AnyStream).Reason,
            "is not open");
  EXPECT_EQ(WriteFile("/dev/stdoutput", first, WriteTargets::AnyStream).Reason,
            "names no stream of the program");
  EXPECT_EQ(WriteFile("/dev/stdout", first, WriteTargets::RegularOnly).Reason,
            "is a stream of the program; projects are saved to files only");
  EXPECT_EQ(FolderNames(dir_), Names({"output"}));
}

TEST_F(FileWriterTest, refusesFoldersSocketsAndPathsThatLeadNowhere) {
  fs::create_directories(At("folder"));
  PutBytes(dir_ / "folder" / "inside", Pattern(10, 1));
  PutBytes(At("file"), Pattern(10, 2));
  const int listening = ListeningSocket(At("socket"));
  ASSERT_GE(listening, 0);
  const std::pair<std::string, std::string> refusals[] = {
      {At("folder"), "is a folder"},
      {At("missing/new"), "folder does not exist"},
      {At("file") + "/new", "a part of the path is not a folder"},
      {At("socket"), "is a socket, which cannot be opened to write to"},
      {"", "no file name"}};
  for (const auto& [path, reason] : refusals)
    EXPECT_EQ(Answer(WriteFile(path, Pattern(10, 3), WriteTargets::AnyStream)), Refused(reason))
        << path;
  ::close(listening);
  EXPECT_EQ(FolderNames(dir_), Names({"file", "folder", "socket"}));
  EXPECT_EQ(FolderNames(dir_ / "folder"), Names({"inside"}));
  EXPECT_EQ(FileBytes(At("file")), Pattern(10, 2));
}

TEST_F(FileWriterTest, savesProjectsToFilesOnly) {
  ASSERT_EQ(::mkfifo(At("fifo").c_str(), 0600), 0);
  FifoReader reader(At("fifo"));
  EXPECT_EQ(Answer(WriteFile(At("fifo"), Pattern(10, 1), WriteTargets::RegularOnly)),
            Refused("is a FIFO; projects are saved to files only"));
  EXPECT_TRUE(reader.Finish().empty());
  EXPECT_TRUE(IsFifo(At("fifo")));
  if (const std::string why = MakeCharDevice(At("device")); !why.empty()) GTEST_SKIP() << why;
  EXPECT_EQ(Answer(WriteFile(At("device"), Pattern(10, 1), WriteTargets::RegularOnly)),
            Refused("is a device; projects are saved to files only"));
  EXPECT_TRUE(IsCharDevice(At("device")));
  EXPECT_EQ(FolderNames(dir_), Names({"device", "fifo"}));
}

TEST_F(FileWriterTest, aFileSizeLimitReachedHalfWayLeavesTheOldFile) {
  const Bytes old = Pattern(3000, 1);
  PutBytes(At("file"), old);
  // With the limit's signal ignored, as the test is told to, and as it comes by default,
  // which would end a program that does not hold it.
  for (const bool ignored : {true, false}) {
    const int status = InChild(
        [ignored] {
          if (ignored) ::signal(SIGXFSZ, SIG_IGN);
          const rlimit small{64 << 10, 64 << 10};
          ::setrlimit(RLIMIT_FSIZE, &small);
        },
        [&] {
          const WriteResult written =
              WriteFile(At("file"), Pattern(256 << 10, 2), WriteTargets::AnyStream);
          return !written.Ok && written.Reason == "file too large" ? 0 : 1;
        });
    EXPECT_EQ(status, 0) << (ignored ? "signal ignored" : "signal by default");
    EXPECT_TRUE(FileBytes(At("file")) == old);
    EXPECT_EQ(FolderNames(dir_), Names({"file"}));
  }
}

TEST_F(FileWriterTest, aDiskFillingUpHalfWayLeavesTheOldFile) {
  const fs::path disk = dir_ / "disk";
  const SmallDisk small(disk, "64k");
  if (!small.Mounted()) GTEST_SKIP() << small.Why();
  const fs::path file = disk / "old.csv";
  const Bytes old = Pattern(1000, 1);
  PutBytes(file, old);
  EXPECT_EQ(Answer(WriteFile(file.string(), Pattern(200 << 10, 2), WriteTargets::AnyStream)),
            Refused("disk full"));
  EXPECT_TRUE(FileBytes(file) == old);
  EXPECT_EQ(FolderNames(disk), Names({"old.csv"}));
  // What fits is written.
  const Bytes fits = Pattern(20 << 10, 3);
  EXPECT_TRUE(WriteFile(file.string(), fits, WriteTargets::AnyStream).Ok);
  EXPECT_TRUE(FileBytes(file) == fits);
}

TEST_F(FileWriterTest, anOrdinaryUserWritesToDevicesItMayWriteWithoutReplacingThem) {
  // As root: a device of the test's own, open to all, in a folder only root may change;
  // the writing child runs as nobody. As anyone else, /dev/null only, written directly.
  const bool root = ::geteuid() == 0;
  const bool device = root && MakeCharDevice(At("device")).empty();
  const int status = InChild(
      [root] {
        if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(9);
      },
      [&] {
        int failed = 0;
        if (device && !WriteFile(At("device"), Pattern(5000, 1), WriteTargets::AnyStream))
          failed |= 1;
        if (!WriteFile("/dev/null", Pattern(5000, 2), WriteTargets::AnyStream)) failed |= 2;
        return failed;
      });
  EXPECT_EQ(status, 0) << "1: the test's device refused, 2: /dev/null refused";
  EXPECT_TRUE(IsCharDevice("/dev/null"));
  if (device) {
    EXPECT_TRUE(IsCharDevice(At("device")));
  }
  EXPECT_EQ(FolderNames(dir_), device ? Names({"device"}) : Names());
}
