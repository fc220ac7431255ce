// The project file: its bytes, what it refuses, its texts and how it is written to disk.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <tuple>

#include "files/PredictionBlock.h"
#include "files/ProjectFile.h"
#include "files/Windows1252.h"
#include "fuzz/ProjectFileCheck.h"

using namespace tarnwick;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Encode(const ProjectData& p, ProjectFileHeader h = {}) { return EncodeProject(p, h); }

template <typename T>
Bytes With(Bytes b, std::size_t offset, T value) {
  std::memcpy(b.data() + offset, &value, sizeof value);
  return b;
}

// Files from tools/make_expected.py. small.qvd: the default project in feet, title "A", author
// "B", two boxes, one area (offsets: title count 30, automatic 48, mounting 52, pin 56, floor 60,
// boxes 64, attenuation 72, splay 76, areas 84, area values 88 on).
Bytes Sample(const char* name) {
  return test_targets::FileBytes(fs::path(TARNWICK_SOURCE_DIR) / "tests" / "data" / name);
}

// Loads the bytes over the default project; a refusal must leave it exactly as it was.
LoadStatus Load(const Bytes& bytes) {
  ProjectData p = MakeDefaultProject();
  const LoadStatus status = DecodeProject(bytes, p);
  EXPECT_TRUE(status == LoadStatus::Loaded || p == MakeDefaultProject()) << "refusal changed it";
  return status;
}

// The project the bytes load as over one whose prediction options are all on, which a file
// without sound ones must turn off.
ProjectData Loaded(const Bytes& bytes) {
  ProjectData p = MakeDefaultProject();
  p.Prediction = {true, true, true, 30.0f, 20.0f, 90.0f};
  EXPECT_EQ(DecodeProject(bytes, p), LoadStatus::Loaded);
  return p;
}

// An options block of the framed bytes (magic, length, payload) and their CRC.
Bytes Sealed(Bytes framed) {
  const std::uint32_t crc = Crc32(framed);
  framed.resize(framed.size() + 4);
  return With(framed, framed.size() - 4, crc);
}

}  // namespace

TEST(ProjectFile, samplesHoldTheBytesOfTheirProjectsAndLoadBackBitForBit) {
  EXPECT_EQ(Encode(MakeDefaultProject()), Sample("default.qvd"));
  ProjectData small = MakeDefaultProject(), p = small;
  std::tie(small.ProjectTitle, small.Author, small.Units, small.BoxesAmount, small.AreasAmount) =
      std::tuple("A", "B", "Feet", 2, 1);
  ASSERT_EQ(DecodeProject(Sample("small.qvd"), p), LoadStatus::Loaded);
  EXPECT_EQ(p, small);
  EXPECT_EQ(Encode(small), Sample("small.qvd"));
  ASSERT_EQ(DecodeProject(Sample("odd.qvd"), p), LoadStatus::Loaded);
  EXPECT_EQ(Encode(p), Sample("odd.qvd"));  // bit for bit
  EXPECT_EQ(p.ProjectTitle, "Open Air 2027 – Bühne Süd");
  // A file with fewer boxes and areas leaves the entries beyond its counts as they were.
  ASSERT_EQ(DecodeProject(Sample("small.qvd"), p), LoadStatus::Loaded);
  EXPECT_TRUE(p.AreaHeight1[1] == -12.345678f && p.BoxAngle[0] == 0 && p.BoxAngle[2] == 5);
}

TEST(ProjectFileRefusals, wrongHeadersAndValuesNoControlCanTakeLeaveTheProjectUnchanged) {
  const Bytes good = Sample("small.qvd");
  EXPECT_EQ(Load(With(good, 3, 'X')), LoadStatus::WrongHeader);
  EXPECT_EQ(Load(With<std::int16_t>(good, 12, 2)), LoadStatus::WrongHeader);
  EXPECT_EQ(Load(Bytes{'n', 'o'}), LoadStatus::WrongHeader);
  // Counts past the arrays or the file, and no numbers (other values: test_project_rules).
  const std::pair<int, std::int32_t> counts[] = {{64, 13}, {84, 4}, {30, -1}, {30, 1 << 30}};
  for (const auto& [offset, value] : counts)
    EXPECT_EQ(Load(With(good, offset, value)), LoadStatus::Damaged) << offset << " = " << value;
  for (const auto& [offset, value] : {std::pair{60, INFINITY}, {92, NAN}})
    EXPECT_EQ(Load(With(good, offset, value)), LoadStatus::Damaged) << offset << " = " << value;
  // Loaded as shown: attenuation 7.5 as "0dB", mounting 3 as downtilt, splay 7.4 as 5 degrees.
  Bytes odd = With(With<std::int32_t>(With(good, 72, 7.5f), 52, 3), 76, 7.4f);
  for (int offset : {6, 8, 10, 14, 18, 22, 26}) odd = With<std::int16_t>(odd, offset, 0x7A7A);
  EXPECT_EQ(Load(odd), LoadStatus::Loaded);
  // A text longer than a text box holds is refused, not cut.
  ProjectData p = MakeDefaultProject();
  p.Author = std::string(MaxTextLength, 'a');
  EXPECT_EQ(Load(Encode(p)), LoadStatus::Loaded);
  EXPECT_EQ(Load(Encode((p.Author += 'a', p))), LoadStatus::Damaged);
}

TEST(ProjectFileRefusals, everyPrefixIsRefusedAndNoChangedByteOrPastFailureBreaksTheReader) {
  Bytes good = Sample("default.qvd");
  for (std::size_t n = 0; n < good.size(); ++n)
    EXPECT_NE(Load(Bytes(good.begin(), good.begin() + n)), LoadStatus::Loaded) << n;
  // Every one-byte change, fuzzer seed and failure loads and round-trips or is refused cleanly,
  // a seed or failure also when read from the kind of path the fuzzer lays out for it.
  for (std::size_t i = 0; i < good.size(); ++i)
    for (int value = 0; value < 256; ++value) CheckProjectFileBytes(With(good, i, char(value)));
  int replayed = 0;
  for (const char* folder : {"corpus", "failures"})
    for (const auto& entry :
         fs::directory_iterator(fs::path(TARNWICK_SOURCE_DIR) / "tests" / "fuzz" / folder))
      if (entry.is_regular_file() && entry.path().filename() != ".keep") {
        const Bytes bytes = test_targets::FileBytes(entry.path());
        CheckProjectFileBytes(bytes);
        CheckProjectFilePath(bytes, TargetFor(bytes));
        ++replayed;
      }
  EXPECT_GE(replayed, 3);
  good.insert(good.end(), {1, 2, 3});  // bytes after the data are ignored
  EXPECT_EQ(Load(good), LoadStatus::Loaded);
}

TEST(ProjectFileOptions, travelInABlockAfterTheDataAndADamagedBlockLeavesThemOff) {
  // options.qvd: small.qvd (104 bytes) and a block with average, air and an atmosphere.
  ProjectData with = MakeDefaultProject();
  std::tie(with.ProjectTitle, with.Author, with.Units, with.BoxesAmount, with.AreasAmount) =
      std::tuple("A", "B", "Feet", 2, 1);
  ProjectData plain = with;
  with.Prediction = {true, false, true, 12.5f, 70.0f, 95.5f};
  const Bytes file = Sample("options.qvd");
  ProjectFileHeader header;
  EXPECT_EQ(EncodeProject(with, header), file);
  EXPECT_EQ(header.DataLength, 74);  // the data alone, as older readers expect
  EXPECT_EQ(Loaded(file), with);
  EXPECT_EQ(Loaded(Sample("small.qvd")), plain);
  // Every byte of the block changed, and the file cut anywhere in it.
  for (std::size_t n = 104; n < file.size(); ++n) {
    EXPECT_EQ(Loaded(With<unsigned char>(file, n, file[n] ^ 0xFF)), plain) << n;
    EXPECT_EQ(Loaded(Bytes(file.begin(), file.begin() + std::ptrdiff_t(n))), plain) << n;
  }
  // Sound frames holding what no option takes: a flag 2, an atmosphere out of its range, a
  // payload too short, nothing on. A later version's longer payload and what follows the
  // block are skipped.
  const Bytes framed(file.begin() + 104, file.end() - 4), small = Sample("small.qvd");
  const auto options = [&](const Bytes& block) {
    Bytes bytes = small;
    bytes.insert(bytes.end(), block.begin(), block.end());
    bytes.push_back('?');
    return Loaded(bytes).Prediction;
  };
  for (const Bytes& bad :
       {With<unsigned char>(framed, 8, 2), With(framed, 9, -20.01f), With(framed, 9, 50.01f),
        With(framed, 13, 9.99f), With(framed, 13, 100.01f), With(framed, 17, 79.99f),
        With(framed, 17, NAN), With(framed, 17, 110.01f),
        With<std::uint16_t>(Bytes(framed.begin(), framed.end() - 1), 4, 14),
        With<unsigned char>(With<unsigned char>(framed, 6, 0), 8, 0)})
    EXPECT_EQ(options(Sealed(bad)), PredictionOptions{});
  Bytes longer = With<std::uint16_t>(framed, 4, 17);
  longer.insert(longer.end(), {1, 1});
  EXPECT_EQ(options(Sealed(longer)), with.Prediction);
  EXPECT_EQ(options(Sealed(With(framed, 9, -20.0f))).Temperature, -20.0f);
}

TEST(ProjectFileTexts, useWindows1252AndReplaceWhatItCannotHold) {
  EXPECT_EQ(ToWindows1252("é€ä"), "\xE9\x80\xE4");
  EXPECT_EQ(ToWindows1252("A→B\xFF"), "A?B?");  // not in the code page; not UTF-8
  EXPECT_EQ(FromWindows1252("\xE9\x80\x81"), "é€\xC2\x81");
  for (int byte = 0; byte < 256; ++byte)
    EXPECT_EQ(ToWindows1252(FromWindows1252(std::string(1, char(byte)))),
              std::string(1, char(byte)));
  EXPECT_EQ(CleanFileName("a/b:c*?|><\"\\ My.Show 2 "), "abc My.Show 2 ");
}

TEST(ProjectFileDisk, savesWholeFilesWhereItMayWriteAndReadsRegularFilesOnly) {
  const test_targets::ScratchFolder scratch("tarnwick-files");
  const std::string show = scratch / "show.qvd";
  ProjectData big = MakeDefaultProject();
  big.ProjectTitle = std::string(500, 'x');
  ProjectFileHeader header;
  ASSERT_TRUE(WriteProjectFile(show, big, header));
  EXPECT_EQ(header.DataLength, 207 + 488);
  // Over that longer file: its tail is gone.
  ASSERT_TRUE(WriteProjectFile(show, MakeDefaultProject(), header));
  EXPECT_EQ(header.DataLength, 207);
  EXPECT_EQ(test_targets::FileBytes(show), Sample("default.qvd"));
  EXPECT_FALSE(WriteProjectFile("", big, header));
  // The window saves to files only; the command line's --out may also go to a FIFO.
  EXPECT_FALSE(WriteProjectFile("/dev/null", big, header));
  const test_targets::TargetAt fifo(Target::UnreadFifo, {});
  EXPECT_EQ(WriteProjectFile(fifo.Path(), big, header, WriteTargets::AnyStream).Reason,
            "no program is reading the FIFO");
  // Read: regular files only, without waiting on anything else.
  for (int kind = 0; kind < int(Target::Count); ++kind)
    CheckProjectFilePath(Sample("small.qvd"), Target(kind));
}
