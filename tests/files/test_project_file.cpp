#include <gtest/gtest.h>

#include <bit>
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
void Put(Bytes& b, std::size_t offset, T value) {
  std::memcpy(b.data() + offset, &value, sizeof value);
}

ProjectData SmallProject() {
  ProjectData p = MakeDefaultProject();
  p.ProjectTitle = "A";
  p.Author = "B";
  p.Units = "Feet";
  p.BoxesAmount = 2;
  p.AreasAmount = 1;
  return p;
}

LoadStatus Load(const Bytes& bytes, ProjectData& into) { return DecodeProject(bytes, into); }

fs::path TempDir() {
  const fs::path dir = fs::temp_directory_path() / ("tarnwick-files-" + std::to_string(getpid()));
  fs::create_directories(dir);
  return dir;
}

Bytes ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(ProjectFileLayout, defaultProjectHasItsDocumentedBytes) {
  const Bytes b = Encode(MakeDefaultProject());
  ASSERT_EQ(b.size(), 237u);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 6), "Q-V LA");
  EXPECT_EQ(At<std::int16_t>(b, 6), 1);
  EXPECT_EQ(At<std::int16_t>(b, 8), 20);
  EXPECT_EQ(std::string(b.begin() + 10, b.begin() + 12), "qz");
  EXPECT_EQ(At<std::int16_t>(b, 12), 1);
  EXPECT_EQ(At<std::int32_t>(b, 14), 0);
  EXPECT_EQ(At<std::int32_t>(b, 18), 1);
  EXPECT_EQ(At<std::int32_t>(b, 22), 207);
  EXPECT_EQ(At<std::int32_t>(b, 26), 31);
  EXPECT_EQ(At<std::int32_t>(b, 30), 12);
  EXPECT_EQ(std::string(b.begin() + 34, b.begin() + 46), "Your Project");
  EXPECT_EQ(At<std::int32_t>(b, 46), 9);
  EXPECT_EQ(At<std::int32_t>(b, 59), 6);
  EXPECT_EQ(At<std::int32_t>(b, 69), 1);
  EXPECT_EQ(At<std::int32_t>(b, 73), 0);
  EXPECT_EQ(At<std::int32_t>(b, 77), 2);
  EXPECT_EQ(At<float>(b, 81), 5.0f);
  EXPECT_EQ(At<std::int32_t>(b, 85), 12);
  EXPECT_EQ((Bytes(b.begin() + 89, b.begin() + 93)), (Bytes{0xAE, 0x47, 0xA9, 0x40}));
  EXPECT_EQ(At<float>(b, 97), 0.0f);   // first splay angle
  EXPECT_EQ(At<float>(b, 105), 5.0f);  // second
  EXPECT_EQ(At<std::int32_t>(b, 185), 3);
  EXPECT_EQ(At<float>(b, 233), 3.5f);  // last area's second height
}

TEST(ProjectFileLayout, smallProjectIsOneHundredAndFourBytes) {
  const Bytes b = Encode(SmallProject());
  EXPECT_EQ(b.size(), 104u);
  EXPECT_EQ(At<std::int32_t>(b, 22), 74);
}

TEST(ProjectFileRoundTrip, keepsEveryFieldBitForBit) {
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
  ASSERT_EQ(Load(Encode(p), loaded), LoadStatus::Loaded);
  EXPECT_EQ(loaded, p);
  EXPECT_TRUE(std::signbit(loaded.AreaDistance[0]));
}

TEST(ProjectFileRoundTrip, fieldsBeyondTheCountsKeepTheOpenProjectsValues) {
  ProjectData open = MakeDefaultProject();
  ProjectData loaded = open;
  ASSERT_EQ(Load(Encode(SmallProject()), loaded), LoadStatus::Loaded);
  EXPECT_EQ(loaded.BoxesAmount, 2);
  EXPECT_EQ(loaded.AreaLength[2], open.AreaLength[2]);
  EXPECT_EQ(loaded.BoxAngle[5], open.BoxAngle[5]);
}

TEST(ProjectFileHeaderCheck, refusesWrongIdOrCheckValueOnly) {
  const Bytes good = Encode(SmallProject());
  const ProjectData before = MakeDefaultProject();
  Bytes wrongId = good;
  wrongId[3] = 'X';
  Bytes wrongCheck = good;
  Put<std::int16_t>(wrongCheck, 12, 2);
  for (const Bytes* bad : {&wrongId, &wrongCheck}) {
    ProjectData p = before;
    EXPECT_EQ(Load(*bad, p), LoadStatus::WrongHeader);
    EXPECT_EQ(p, before);
  }
  // The other header values are never read.
  Bytes odd = good;
  for (std::size_t offset : {6, 8, 10, 14, 18, 22, 26}) Put<std::int16_t>(odd, offset, 0x7A7A);
  ProjectData p = before;
  EXPECT_EQ(Load(odd, p), LoadStatus::Loaded);
  EXPECT_EQ(p.ProjectTitle, "A");
  EXPECT_EQ(Load(Bytes{'n', 'o'}, p), LoadStatus::WrongHeader);
}

TEST(ProjectFileRefusals, valuesNoControlCanTakeLeaveTheProjectUnchanged) {
  const Bytes good = Encode(SmallProject());
  // Offsets in the small project: texts end at 48; then automatic 48,
  // mounting 52, pin 56, floor 60, boxes 64, inclination 68, attenuation
  // 72, angle 76, attenuation 80, areas 84, area floats 88 to 103.
  struct Case {
    const char* what;
    std::size_t offset;
    std::int32_t asInt;
    float asFloat;
    bool isFloat;
  };
  const Case cases[] = {
      {"automatic 2", 48, 2, 0, false},
      {"pin 0", 56, 0, 0, false},
      {"pin 10", 56, 10, 0, false},
      {"boxes 1", 64, 1, 0, false},
      {"boxes 13", 64, 13, 0, false},
      {"areas 0", 84, 0, 0, false},
      {"areas 4", 84, 4, 0, false},
      {"angle 10", 76, 0, 10.0f, true},
      {"angle NaN", 76, 0, NAN, true},
      {"floor infinite", 60, 0, INFINITY, true},
      {"length NaN", 92, 0, NAN, true},
      {"title count -1", 30, -1, 0, false},
      {"title count huge", 30, 1 << 30, 0, false},
  };
  const ProjectData before = MakeDefaultProject();
  for (const Case& c : cases) {
    Bytes bad = good;
    if (c.isFloat)
      Put<float>(bad, c.offset, c.asFloat);
    else
      Put<std::int32_t>(bad, c.offset, c.asInt);
    ProjectData p = before;
    EXPECT_EQ(Load(bad, p), LoadStatus::Damaged) << c.what;
    EXPECT_EQ(p, before) << c.what;
  }
  // Values the controls show in their own way are accepted.
  Bytes odd = good;
  Put<float>(odd, 72, 7.5f);      // attenuation without an entry shows "0dB"
  Put<std::int32_t>(odd, 52, 3);  // any mounting but 1 is downtilt
  Put<float>(odd, 76, 7.4f);      // a splay whose fifth rounds to 1
  ProjectData p = before;
  EXPECT_EQ(Load(odd, p), LoadStatus::Loaded);
}

TEST(ProjectFileRefusals, everyStrictPrefixIsRefusedAndEveryByteChangeIsSafe) {
  Bytes good = Encode(MakeDefaultProject());
  const ProjectData before = MakeDefaultProject();
  for (std::size_t n = 0; n < good.size(); ++n) {
    ProjectData p = before;
    const Bytes prefix(good.begin(), good.begin() + n);
    EXPECT_NE(Load(prefix, p), LoadStatus::Loaded) << n;
    EXPECT_EQ(p, before) << n;
  }
  // Each byte set to a few telling values: loads and round-trips, or is
  // refused with the project unchanged (the check aborts otherwise).
  for (std::size_t i = 0; i < good.size(); ++i)
    for (unsigned char value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
      Bytes changed = good;
      changed[i] = value;
      CheckProjectFileBytes(changed);
    }
  // Bytes after the data are ignored.
  good.insert(good.end(), {1, 2, 3});
  ProjectData p = before;
  EXPECT_EQ(Load(good, p), LoadStatus::Loaded);
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
  ProjectData loaded = MakeDefaultProject();
  ASSERT_EQ(Load(Encode(p), loaded), LoadStatus::Loaded);
  EXPECT_EQ(loaded.ProjectTitle, "Halle ? Süd");
}

TEST(ProjectFileDisk, savesAtomicallyAndLeavesNoTail) {
  const fs::path dir = TempDir();
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
  EXPECT_FALSE(WriteProjectFile((dir / "missing" / "x.qvd").string(), big, header));
  EXPECT_FALSE(WriteProjectFile(dir.string(), big, header));  // a folder
  EXPECT_FALSE(WriteProjectFile("", big, header));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  EXPECT_EQ(ReadAll(file).size(), 104u);
  EXPECT_EQ(ReadProjectFile((dir / "none.qvd").string(), loaded), LoadStatus::Damaged);
  fs::remove_all(dir);
}

TEST(ProjectFileNames, dropCharactersFileNamesCannotHold) {
  EXPECT_EQ(CleanFileName("a/b:c*?"), "abc");
  EXPECT_EQ(CleanFileName("|><\"?*:/\\"), "");
  EXPECT_EQ(CleanFileName(" My.Show 2 "), " My.Show 2 ");
}
