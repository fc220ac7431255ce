// The one writer of every file: what it does with each kind of thing at a path, and
// that a failure half way leaves the old file exactly as it was.
#include <gtest/gtest.h>
#include <signal.h>

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

// What a write answered: done, or refused for a reason.
using Answer = std::pair<bool, std::string>;
const Answer Done{true, ""};
Answer Refused(const std::string& why) { return {false, why}; }
Answer Write(const std::string& path, const Bytes& bytes, WriteTargets allowed) {
  const WriteResult result = WriteFile(path, bytes, allowed);
  return {result.Ok, result.Reason};
}

ino_t Inode(const fs::path& path) {
  struct stat info {};
  ::stat(path.c_str(), &info);
  return info.st_ino;
}

class FileWriterTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::permissions(dir_, fs::perms(0755)); }
  std::string At(const char* name) const { return scratch_ / name; }
  // What a write to `kind`, laid out anew holding other bytes, answers, once it is seen to
  // keep every promise of a write (see WriteChecked).
  Answer WriteTo(Target kind, const Bytes& bytes, WriteTargets allowed = WriteTargets::AnyStream) {
    const TargetAt target(kind, dir_ / "laid", Pattern(3000, 1));
    EXPECT_EQ(target.Why(), "");
    const auto [answer, broken] =
        WriteChecked(target, bytes, [&] { return WriteFile(target.Path(), bytes, allowed); });
    EXPECT_EQ(broken, "") << "kind " << int(kind);
    return {answer.Ok, answer.Reason};
  }
  // Why `kind` cannot be laid out here (a device or a mount needs root), or empty.
  std::string Unmade(Target kind) const { return TargetAt(kind, dir_ / "probe", {}).Why(); }

  ScratchFolder scratch_{std::string("tarnwick-writer-") +
                         ::testing::UnitTest::GetInstance()->current_test_info()->name()};
  const fs::path& dir_ = scratch_.Path();
};

}  // namespace

TEST_F(FileWriterTest, replacesARegularFileWholeKeepingItsPermissions) {
  const Bytes old = Pattern(5000, 1), fresh = Pattern(100, 2);
  EXPECT_EQ(WriteTo(Target::File, fresh, WriteTargets::RegularOnly), Done);
  // Whoever still reads the old file reads it whole: it was replaced, not rewritten.
  PutBytes(At("file"), old);
  const ino_t before = Inode(At("file"));
  std::ifstream reading(At("file"), std::ios::binary);
  ASSERT_EQ(Write(At("file"), fresh, WriteTargets::RegularOnly), Done);
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
  EXPECT_EQ(WriteTo(Target::LinkToFile, Pattern(40, 3), WriteTargets::RegularOnly), Done);
  // A link to nothing is not followed into a new file.
  EXPECT_EQ(WriteTo(Target::DanglingLink, Pattern(40, 3)), Refused("is a link to nothing"));
}

TEST_F(FileWriterTest, writesToACharacterDeviceWhereItStands) {
  if (const std::string why = Unmade(Target::Device); !why.empty()) GTEST_SKIP() << why;
  EXPECT_EQ(WriteTo(Target::Device, Pattern(300000, 4)), Done);
  EXPECT_EQ(WriteTo(Target::LinkToDevice, Pattern(300000, 4)), Done);
  // A device that takes nothing refuses the write, and is still there.
  EXPECT_EQ(WriteTo(Target::FullDevice, Pattern(10, 5)), Refused("disk full"));
}

TEST_F(FileWriterTest, feedsAFifoThatIsReadEveryByteInOrder) {
  // Many times what a pipe holds.
  EXPECT_EQ(WriteTo(Target::ReadFifo, Pattern(1 << 20, 6)), Done);
}

TEST_F(FileWriterTest, refusesAFifoNobodyReadsAtOnce) {
  ::alarm(20);  // a writer that waits for a reader would hang here: end the test instead
  for (const Target kind : {Target::UnreadFifo, Target::LinkToFifo})
    EXPECT_EQ(WriteTo(kind, Pattern(100, 7)), Refused("no program is reading the FIFO"));
  ::alarm(0);
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
  const std::pair<Target, std::string> refusals[] = {
      {Target::Folder, "is a folder"},
      {Target::UnderFile, "a part of the path is not a folder"},
      {Target::Socket, "is a socket, which cannot be opened to write to"},
      {Target::LinkLoop, "the links loop"}};
  for (const auto& [kind, reason] : refusals)
    EXPECT_EQ(WriteTo(kind, Pattern(10, 3)), Refused(reason));
  EXPECT_EQ(Write(At("missing/new"), Pattern(10, 3), WriteTargets::AnyStream),
            Refused("folder does not exist"));
  EXPECT_EQ(Write("", Pattern(10, 3), WriteTargets::AnyStream), Refused("no file name"));
  EXPECT_EQ(FolderNames(dir_), Names());
}

TEST_F(FileWriterTest, savesProjectsToFilesOnly) {
  EXPECT_EQ(WriteTo(Target::ReadFifo, Pattern(10, 1), WriteTargets::RegularOnly),
            Refused("is a FIFO; projects are saved to files only"));
  if (const std::string why = Unmade(Target::Device); !why.empty()) GTEST_SKIP() << why;
  EXPECT_EQ(WriteTo(Target::Device, Pattern(10, 1), WriteTargets::RegularOnly),
            Refused("is a device; projects are saved to files only"));
}

TEST_F(FileWriterTest, aFileSizeLimitReachedHalfWayLeavesTheOldFile) {
  // With the limit's signal ignored, as the test is told to, and as it comes by default,
  // which would end a program that does not hold it: in a child, so as not to end the test.
  for (const bool ignored : {true, false}) {
    const int status =
        InChild([ignored] { ::signal(SIGXFSZ, ignored ? SIG_IGN : SIG_DFL); },
                [&] {
                  const Answer answer = WriteTo(Target::SizeLimit, Pattern(256 << 10, 2));
                  return answer == Refused("file too large") && !HasFailure() ? 0 : 1;
                });
    EXPECT_EQ(status, 0) << (ignored ? "signal ignored" : "signal by default");
  }
}

TEST_F(FileWriterTest, aDiskFillingUpHalfWayLeavesTheOldFile) {
  if (const std::string why = Unmade(Target::FullDisk); !why.empty()) GTEST_SKIP() << why;
  EXPECT_EQ(WriteTo(Target::FullDisk, Pattern(200 << 10, 2)), Refused("disk full"));
  // What fits is written.
  EXPECT_EQ(WriteTo(Target::FullDisk, Pattern(20 << 10, 3)), Done);
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
