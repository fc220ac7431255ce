// The project file: its bytes, what it refuses, its texts and how it is written to disk.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "../fuzz/ProjectFileCheck.h"
#include "files/ProjectFile.h"
#include "files/Windows1252.h"

using namespace tarnwick;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Encode(const ProjectData& p) {
  ProjectFileHeader header;
  return EncodeProject(p, header);
}

template <typename T>
T At(const Bytes& b, std::size_t offset) {
  T value;
  std::memcpy(&value, b.data() + offset, sizeof value);
  return value;
}

template <typename T>
Bytes With(Bytes b, std::size_t offset, T value) {
  std::memcpy(b.data() + offset, &value, sizeof value);
  return b;
}

// Two boxes, one area, in feet: 104 bytes.
ProjectData SmallProject() {
  ProjectData p = MakeDefaultProject();
  p.ProjectTitle = "A";
  p.Author = "B";
  p.Units = "Feet";
  p.BoxesAmount = 2;
  p.AreasAmount = 1;
  return p;
}

Bytes ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Loads the bytes over the default project; a refusal must leave it exactly as it was.
LoadStatus Load(const Bytes& bytes) {
  const ProjectData before = MakeDefaultProject();
  ProjectData p = before;
  const LoadStatus status = DecodeProject(bytes, p);
  if (status != LoadStatus::Loaded) {
    EXPECT_EQ(p, before) << "a refusal changed the project";
  }
  return status;
}

}  // namespace

TEST(ProjectFileLayout, defaultAndSmallProjectsHaveTheirDocumentedBytes) {
  const Bytes b = Encode(MakeDefaultProject());
  ASSERT_EQ(b.size(), 237u);
  // Id, version 1, header size 20, tag, check value 1.
  EXPECT_EQ(std::string(b.begin(), b.begin() + 14), std::string("Q-V LA\1\0\24\0qz\1\0", 14));
  // Reserved, sections, data length, data start, title count, then counts and values.
  const std::pair<int, std::int32_t> counts[] = {{14, 0},  {18, 1}, {22, 207}, {26, 31},
                                                 {30, 12}, {46, 9}, {59, 6},   {69, 1},
                                                 {73, 0},  {77, 2}, {85, 12},  {185, 3}};
  for (const auto& [offset, value] : counts)
    EXPECT_EQ(At<std::int32_t>(b, offset), value) << offset;
  EXPECT_EQ(std::string(b.begin() + 34, b.begin() + 46), "Your Project");
  EXPECT_EQ((Bytes(b.begin() + 89, b.begin() + 93)), (Bytes{0xAE, 0x47, 0xA9, 0x40}));  // 5.29
  // Floor distance, the first two splay angles, the last area's second height.
  for (const auto& [offset, value] : {std::pair{81, 5.0f}, {97, 0.0f}, {105, 5.0f}, {233, 3.5f}})
    EXPECT_EQ(At<float>(b, offset), value) << offset;
  const Bytes small = Encode(SmallProject());
  EXPECT_EQ(small.size(), 104u);
  EXPECT_EQ(At<std::int32_t>(small, 22), 74);
}

TEST(ProjectFileRoundTrip, keepsEveryFieldBitForBitAndFieldsBeyondTheCounts) {
  ProjectData p = MakeDefaultProject();
  p.ProjectTitle = "Open Air 2027 – Bühne Süd";
  p.Author = "";
  p.Units = "Feet";
  p.AreaDistance = {-0.0f, 1e-38f, 3.4e38f};
  p.AreaHeight1[1] = -12.345678f;
  p.BoxAttenuation = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 99};
  p.BoxAngle = {5, 0, 5, 0, 5, 0, 5, 0, 5, 0, 5};
  p.FloorDistance = 7.123456f;
  p.InclinationAngle = -3.0001f;
  p.FlybarMounting = 1;
  p.FlybarPin = 9;
  p.AutomaticInclCalc = 0;
  ProjectData loaded = MakeDefaultProject();
  ASSERT_EQ(DecodeProject(Encode(p), loaded), LoadStatus::Loaded);
  EXPECT_EQ(loaded, p);
  EXPECT_TRUE(std::signbit(loaded.AreaDistance[0]));
  // A file with fewer boxes and areas leaves the entries beyond its counts as they were.
  ASSERT_EQ(DecodeProject(Encode(SmallProject()), loaded), LoadStatus::Loaded);
  EXPECT_EQ(loaded.BoxesAmount, 2);
  EXPECT_EQ(loaded.AreaHeight1[1], -12.345678f);
  EXPECT_EQ(loaded.BoxAngle[0], 0.0f);
  EXPECT_EQ(loaded.BoxAngle[4], 5.0f);
}

TEST(ProjectFileRefusals, wrongIdOrCheckValueIsNotAProjectFile) {
  const Bytes good = Encode(SmallProject());
  EXPECT_EQ(Load(With(good, 3, 'X')), LoadStatus::WrongHeader);
  EXPECT_EQ(Load(With<std::int16_t>(good, 12, 2)), LoadStatus::WrongHeader);
  EXPECT_EQ(Load(Bytes{'n', 'o'}), LoadStatus::WrongHeader);
  // The other header values are never read.
  Bytes odd = good;
  for (std::size_t offset : {6, 8, 10, 14, 18, 22, 26})
    odd = With<std::int16_t>(odd, offset, 0x7A7A);
  ProjectData p = MakeDefaultProject();
  EXPECT_EQ(DecodeProject(odd, p), LoadStatus::Loaded);
  EXPECT_EQ(p.ProjectTitle, "A");
}

TEST(ProjectFileRefusals, valuesNoControlCanTakeLeaveTheProjectUnchanged) {
  // Small project offsets: title count 30, automatic 48, mounting 52, pin 56, floor 60,
  // boxes 64, attenuation 72, angle 76, areas 84, area floats 88 to 103.
  const Bytes good = Encode(SmallProject());
  const std::pair<int, std::int32_t> counts[] = {{48, 2}, {56, 0}, {56, 10}, {64, 1},      {64, 13},
                                                 {84, 0}, {84, 4}, {30, -1}, {30, 1 << 30}};
  for (const auto& [offset, value] : counts)
    EXPECT_EQ(Load(With<std::int32_t>(good, offset, value)), LoadStatus::Damaged)
        << offset << " = " << value;
  for (const auto& [offset, value] : {std::pair{76, 10.0f}, {76, NAN}, {60, INFINITY}, {92, NAN}})
    EXPECT_EQ(Load(With(good, offset, value)), LoadStatus::Damaged) << offset << " = " << value;
  // Accepted as the controls show them: attenuation 7.5 as "0dB", mounting 3 as downtilt,
  // splay 7.4 as 5 degrees.
  EXPECT_EQ(Load(With(With<std::int32_t>(With(good, 72, 7.5f), 52, 3), 76, 7.4f)),
            LoadStatus::Loaded);
}

TEST(ProjectFileRefusals, everyPrefixIsRefusedAndNoChangedByteOrPastFailureBreaksTheReader) {
  Bytes good = Encode(MakeDefaultProject());
  for (std::size_t n = 0; n < good.size(); ++n)
    EXPECT_NE(Load(Bytes(good.begin(), good.begin() + n)), LoadStatus::Loaded) << n;
  // Every single-byte change, and every fuzzer seed and failure, loads and round-trips or
  // is refused with the project unchanged; the check aborts otherwise.
  for (std::size_t i = 0; i < good.size(); ++i)
    for (int value = 0; value < 256; ++value)
      CheckProjectFileBytes(With(good, i, static_cast<unsigned char>(value)));
  int replayed = 0;
  const fs::path fuzz = fs::path(TARNWICK_SOURCE_DIR) / "tests" / "fuzz";
  for (const char* folder : {"corpus", "failures"})
    for (const auto& entry : fs::directory_iterator(fuzz / folder))
      if (entry.is_regular_file() && entry.path().filename() != ".keep") {
        CheckProjectFileBytes(ReadAll(entry.path()));
        ++replayed;
      }
  EXPECT_GE(replayed, 3);
  good.insert(good.end(), {1, 2, 3});  // bytes after the data are ignored
  EXPECT_EQ(Load(good), LoadStatus::Loaded);
}

TEST(ProjectFileTexts, useWindows1252AndReplaceWhatItCannotHold) {
  EXPECT_EQ(ToWindows1252("é€ä"), "\xE9\x80\xE4");
  EXPECT_EQ(ToWindows1252("A→B"), "A?B");
  EXPECT_EQ(ToWindows1252("\xFF"), "?");  // not UTF-8
  EXPECT_EQ(FromWindows1252("\xE9\x80\x81"), "é€\xC2\x81");
  for (int byte = 0; byte < 256; ++byte) {
    const std::string one(1, char(byte));
    EXPECT_EQ(ToWindows1252(FromWindows1252(one)), one) << byte;
  }
  ProjectData p = MakeDefaultProject();
  p.ProjectTitle = "Halle → Süd";
  ASSERT_EQ(DecodeProject(Encode(p), p), LoadStatus::Loaded);
  EXPECT_EQ(p.ProjectTitle, "Halle ? Süd");
  // File names drop the characters | > < " ? * : / and backslash.
  EXPECT_EQ(CleanFileName("a/b:c*?"), "abc");
  EXPECT_EQ(CleanFileName("|><\"?*:/\\"), "");
  EXPECT_EQ(CleanFileName(" My.Show 2 "), " My.Show 2 ");
}

TEST(ProjectFileDisk, savesAtomicallyAndLeavesNoTail) {
  const fs::path dir = fs::temp_directory_path() / ("tarnwick-files-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path file = dir / "show.qvd";
  ProjectFileHeader header;
  ProjectData big = MakeDefaultProject();
  big.ProjectTitle = std::string(500, 'x');
  ASSERT_TRUE(WriteProjectFile(file.string(), big, header));
  EXPECT_EQ(header.DataLength, 207 + 488);
  ASSERT_TRUE(WriteProjectFile(file.string(), SmallProject(), header));
  EXPECT_EQ(ReadAll(file).size(), 104u);  // the longer file's tail is gone
  ProjectData loaded = MakeDefaultProject();
  EXPECT_EQ(ReadProjectFile(file.string(), loaded), LoadStatus::Loaded);
  EXPECT_EQ(loaded.Units, "Feet");
  // Failures write nothing and leave no temporary file behind.
  for (const fs::path& bad : {dir / "missing" / "x.qvd", dir, fs::path()})
    EXPECT_FALSE(WriteProjectFile(bad.string(), big, header)) << bad;
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  EXPECT_EQ(ReadAll(file).size(), 104u);
  EXPECT_EQ(ReadProjectFile((dir / "none.qvd").string(), loaded), LoadStatus::Damaged);
  fs::remove_all(dir);
}
