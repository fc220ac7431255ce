// The one writer of every file: what it does with each kind of thing at a path
// (tests/data/file_writes.txt), and that a failure half way leaves the old file exactly as
// it was.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <string>

#include "files/FileWriter.h"
#include "support/DataTable.h"
#include "support/FileTargets.h"

using namespace tarnwick;
using namespace tarnwick::test_targets;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

// Bytes that differ from one seed and position to the next.
Bytes Pattern(std::size_t size, unsigned seed) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = (unsigned char)(i * 131 + seed * 7 + i / 251);
  return bytes;
}

// What a write answered: why it was refused, or nothing when it was done.
const std::string Done;
std::string Write(const std::string& path, const Bytes& bytes,
                  WriteTargets allowed = WriteTargets::AnyStream) {
  const WriteResult result = WriteFile(path, bytes, allowed);
  EXPECT_EQ(result.Ok, result.Reason.empty()) << result.Reason;
  return result.Reason;
}

// What a write to `kind`, laid out holding other bytes, answers, once it is seen to keep
// every promise of a write (see WriteChecked).
std::string WriteTo(Target kind, const Bytes& bytes,
                    WriteTargets allowed = WriteTargets::AnyStream) {
  const TargetAt target(kind, Pattern(3000, 1));
  EXPECT_EQ(target.Why(), "");
  const auto [answer, broken] =
      WriteChecked(target, bytes, [&] { return WriteFile(target.Path(), bytes, allowed); });
  EXPECT_EQ(broken, "") << "kind " << int(kind);
  return answer.Reason;
}

}  // namespace

TEST(FileWriter, replacesARegularFileWholeKeepingItsPermissions) {
  const Bytes old = Pattern(5000, 1), fresh = Pattern(100, 2);
  // Whoever still reads the old file reads it whole: it was replaced, not rewritten.
  const TargetAt file(Target::File, old);
  std::ifstream reading(file.Path(), std::ios::binary);
  ASSERT_EQ(Write(file.Path(), fresh, WriteTargets::RegularOnly), Done);
  EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(reading), {}), old);
  // A new name gets 0666 less the umask, even the longest name a folder takes.
  const ScratchFolder scratch("tarnwick-writer");
  const std::string longest = scratch / std::string(255, 'n');
  const mode_t mask = ::umask(027);
  EXPECT_EQ(Write(longest, fresh, WriteTargets::RegularOnly), Done);
  ::umask(mask);
  EXPECT_EQ(fs::status(longest).permissions(), fs::perms(0640));
  EXPECT_EQ(FileBytes(longest), fresh);
}

TEST(FileWriter, replacesOnlyWhatItsUserMayWriteAndLeavesItTheOwners) {
  // A file its user may not write stays byte for byte: tried as nobody where the test runs
  // as root, who may write anything, and who then replaces it leaving it nobody's.
  const bool root = ::geteuid() == 0;
  const TargetAt file(Target::File, Pattern(10, 1));
  const std::string theirs = file.Path();
  fs::permissions(file.Folder(), fs::perms::all);  // anyone may make and rename files there
  fs::permissions(theirs, fs::perms(0444));
  ASSERT_TRUE(!root || ::chown(theirs.c_str(), 65534, 65534) == 0);
  EXPECT_EQ(InChild([&] {
              return AsNobody() && Write(theirs, Pattern(20, 2)) == "permission denied" ? 0 : 1;
            }),
            0);
  EXPECT_EQ(FileBytes(theirs), Pattern(10, 1));
  if (!root) GTEST_SKIP() << "only root may give a file to another user";
  ASSERT_EQ(Write(theirs, Pattern(20, 2), WriteTargets::RegularOnly), Done);
  struct stat info;
  ASSERT_EQ(::stat(theirs.c_str(), &info), 0);
  EXPECT_EQ(std::pair(info.st_uid, info.st_gid), std::pair(65534u, 65534u));
  EXPECT_EQ(FileBytes(theirs), Pattern(20, 2));
}

TEST(FileWriter, answersEachKindOfTargetAsTheTableSays) {
  ::alarm(20);        // a writer that waits on a FIFO would hang here: end the test instead
  unsigned seed = 1;  // other bytes than those laid out
  const int rows = ForEachCase("file_writes.txt", [&seed](const std::string& row) {
    const auto [given, answer] = ArgumentsAndExpected(row);
    const Target kind = TargetNamed(given.at(0));
    ASSERT_NE(kind, Target::Count) << row;
    if (kind == Target::Device && !TargetAt(kind, {}).Why().empty()) return;  // only as root
    const auto allowed =
        given.at(1) == "files" ? WriteTargets::RegularOnly : WriteTargets::AnyStream;
    EXPECT_EQ(WriteTo(kind, Pattern(std::stoul(given.at(2)), ++seed), allowed),
              answer == "done" ? Done : answer)
        << row;
  });
  ::alarm(0);
  EXPECT_GE(rows, 11);
  // /dev/null takes a write where it stands.
  EXPECT_TRUE(Write("/dev/null", Pattern(300000, 4)) == Done && fs::is_character_file("/dev/null"));
}

TEST(FileWriter, writesTheProgramsOwnStreamsWhereTheyStand) {
  // A file the program's output was sent to is written on at its end, not replaced or cut.
  const TargetAt output(Target::File, Bytes{'h', 'e', 'a', 'd'});
  const int fd = ::open(output.Path().c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  EXPECT_TRUE(WriteFile("/dev/fd/" + std::to_string(fd), std::string_view("tail"),
                        WriteTargets::AnyStream));
  ::close(fd);
  EXPECT_EQ(FileBytes(output.Path()), Bytes({'h', 'e', 'a', 'd', 't', 'a', 'i', 'l'}));
  // A descriptor that is not open, a name under /dev/std that is none, and projects.
  EXPECT_EQ(Write("/proc/self/fd/987654", Pattern(10, 8)), "is not open");
  EXPECT_EQ(Write("/dev/stdoutput", Pattern(10, 8)), "names no stream of the program");
  EXPECT_EQ(Write("/dev/stdout", Pattern(10, 8), WriteTargets::RegularOnly),
            "is a stream of the program; projects are saved to files only");
}

TEST(FileWriter, refusesPathsThatLeadNowhere) {
  EXPECT_EQ(Write(ScratchFolder("tarnwick") / "no/new", Pattern(10, 3)), "folder does not exist");
  EXPECT_EQ(Write("", Pattern(10, 3)), "no file name");
}

TEST(FileWriter, aFileSizeLimitReachedHalfWayLeavesTheOldFile) {
  // Its signal as it comes by default would end a program that does not hold it: in a
  // child, so as not to end the test.
  EXPECT_EQ(InChild([&] {
              ::signal(SIGXFSZ, SIG_DFL);
              rlimit limit{};
              ::getrlimit(RLIMIT_FSIZE, &limit);
              limit.rlim_cur = 128 << 10;  // half of what is written
              ::setrlimit(RLIMIT_FSIZE, &limit);
              const std::string answer = WriteTo(Target::File, Pattern(256 << 10, 2));
              return answer == "file too large" && !HasFailure() ? 0 : 1;
            }),
            0);
}
