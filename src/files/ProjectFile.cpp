#include "files/ProjectFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <optional>

#include "files/PredictionBlock.h"
#include "files/Windows1252.h"
#include "model/ProjectRules.h"

namespace tarnwick {

namespace {

static_assert(std::endian::native == std::endian::little, "project files are little-endian");

// Larger files cannot be project files; refusing them keeps a mistaken
// choice from filling memory.
constexpr std::size_t MaxFileBytes = 16u << 20;

class Writer {
 public:
  template <typename T>
  void Put(T value) {
    unsigned char raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    bytes_.insert(bytes_.end(), raw, raw + sizeof(T));
  }
  void PutBytes(const char* data, std::size_t n) { bytes_.insert(bytes_.end(), data, data + n); }
  void PutText(const std::string& utf8) {
    const std::string stored = ToWindows1252(utf8);
    Put(static_cast<std::int32_t>(stored.size()));
    PutBytes(stored.data(), stored.size());
  }
  std::vector<unsigned char>& Bytes() { return bytes_; }

 private:
  std::vector<unsigned char> bytes_;
};

// Reads from a byte span; every read checks what is left, and the first
// shortfall makes the reader fail for good.
class Reader {
 public:
  explicit Reader(std::span<const unsigned char> bytes) : bytes_(bytes) {}

  template <typename T>
  std::optional<T> Get() {
    if (bytes_.size() - pos_ < sizeof(T)) return std::nullopt;
    T value;
    std::memcpy(&value, bytes_.data() + pos_, sizeof(T));
    pos_ += sizeof(T);
    return value;
  }
  // A count is checked against the bytes left before anything is allocated.
  std::optional<std::string> GetText() {
    const auto count = Get<std::int32_t>();
    if (!count || *count < 0 || *count > MaxTextLength ||
        std::size_t(*count) > bytes_.size() - pos_)
      return std::nullopt;
    const auto* start = reinterpret_cast<const char*>(bytes_.data() + pos_);
    pos_ += std::size_t(*count);
    return FromWindows1252(std::string_view(start, std::size_t(*count)));
  }
  std::span<const unsigned char> Rest() const { return bytes_.subspan(pos_); }

 private:
  std::span<const unsigned char> bytes_;
  std::size_t pos_ = 0;
};

}  // namespace

std::vector<unsigned char> EncodeProject(const ProjectData& p, ProjectFileHeader& header) {
  Writer data;
  data.PutText(p.ProjectTitle);
  data.PutText(p.Author);
  data.PutText(p.Units);
  data.Put<std::int32_t>(p.AutomaticInclCalc);
  data.Put<std::int32_t>(p.FlybarMounting);
  data.Put<std::int32_t>(p.FlybarPin);
  data.Put<float>(p.FloorDistance);
  data.Put<std::int32_t>(p.BoxesAmount);
  data.Put<float>(p.InclinationAngle);
  data.Put<float>(p.BoxAttenuation[0]);
  for (int i = 0; i < JointsInUse(p); ++i) {
    data.Put<float>(p.BoxAngle[i]);
    data.Put<float>(p.BoxAttenuation[i + 1]);
  }
  data.Put<std::int32_t>(p.AreasAmount);
  for (int i = 0; i < AreasInUse(p); ++i) {
    data.Put<float>(p.AreaDistance[i]);
    data.Put<float>(p.AreaLength[i]);
    data.Put<float>(p.AreaHeight1[i]);
    data.Put<float>(p.AreaHeight2[i]);
  }
  header.DataLength = static_cast<std::int32_t>(data.Bytes().size());

  Writer file;
  file.PutBytes(header.FileId.data(), header.FileId.size());
  file.Put(header.Version);
  file.Put(header.HeaderSize);
  file.PutBytes(header.Tag.data(), header.Tag.size());
  file.Put(header.HeaderCheckValue);
  file.Put(header.Reserved);
  file.Put(header.Sections);
  file.Put(header.DataLength);
  file.Put(header.DataStart);
  std::vector<unsigned char>& bytes = file.Bytes();
  bytes.insert(bytes.end(), data.Bytes().begin(), data.Bytes().end());
  const std::vector<unsigned char> block = EncodePredictionBlock(p.Prediction);
  bytes.insert(bytes.end(), block.begin(), block.end());
  return std::move(bytes);
}

LoadStatus DecodeProject(std::span<const unsigned char> bytes, ProjectData& project) {
  // 1. Header: only the file id and the check value count. A file that has
  //    the id but ends within the header is a damaged project file.
  static constexpr char FileId[] = "Q-V LA";
  if (bytes.size() < 6 || std::memcmp(bytes.data(), FileId, 6) != 0) return LoadStatus::WrongHeader;
  if (bytes.size() < 14) return LoadStatus::Damaged;
  std::int16_t check;
  std::memcpy(&check, bytes.data() + 12, sizeof check);
  if (check != 1) return LoadStatus::WrongHeader;
  if (bytes.size() < FileHeaderBytes) return LoadStatus::Damaged;

  // 2. Data, into a record of its own: stale entries beyond the counts
  //    come from the open project, as if read field by field into it.
  Reader in(bytes.subspan(FileHeaderBytes));
  ProjectData p = project;
  auto text = [&in](std::string& field) {
    auto value = in.GetText();
    if (value) field = std::move(*value);
    return value.has_value();
  };
  auto integer = [&in](int& field) {
    auto value = in.Get<std::int32_t>();
    if (value) field = *value;
    return value.has_value();
  };
  auto real = [&in](float& field) {
    auto value = in.Get<float>();
    if (value) field = *value;
    return value && std::isfinite(*value);
  };
  // A count out of range reads no more rows than the arrays hold; the
  // whole record is refused below anyway.
  if (!text(p.ProjectTitle) || !text(p.Author) || !text(p.Units)) return LoadStatus::Damaged;
  if (!integer(p.AutomaticInclCalc) || !integer(p.FlybarMounting) || !integer(p.FlybarPin) ||
      !real(p.FloorDistance) || !integer(p.BoxesAmount) || !real(p.InclinationAngle) ||
      !real(p.BoxAttenuation[0]))
    return LoadStatus::Damaged;
  for (int i = 0; i < JointsInUse(p); ++i)
    if (!real(p.BoxAngle[i]) || !real(p.BoxAttenuation[i + 1])) return LoadStatus::Damaged;
  if (!integer(p.AreasAmount)) return LoadStatus::Damaged;
  for (int i = 0; i < AreasInUse(p); ++i)
    if (!real(p.AreaDistance[i]) || !real(p.AreaLength[i]) || !real(p.AreaHeight1[i]) ||
        !real(p.AreaHeight2[i]))
      return LoadStatus::Damaged;
  // 3. The options, from the extension block after the data; all off without one.
  p.Prediction = DecodePredictionBlock(in.Rest());
  // 4. Only a project the window can show in full replaces the open one.
  if (!HasListItems(p)) return LoadStatus::Damaged;
  project = std::move(p);
  return LoadStatus::Loaded;
}

bool WriteProjectFile(const std::string& path, const ProjectData& project,
                      ProjectFileHeader& header) {
  return WriteProjectFile(path, project, header, WriteTargets::RegularOnly).Ok;
}

WriteResult WriteProjectFile(const std::string& path, const ProjectData& project,
                             ProjectFileHeader& header, WriteTargets allowed) {
  ProjectFileHeader written = header;
  const std::vector<unsigned char> bytes = EncodeProject(project, written);
  WriteResult result = WriteFile(path, bytes, allowed);
  if (result.Ok) header.DataLength = written.DataLength;
  return result;
}

LoadStatus ReadProjectFile(const std::string& path, ProjectData& project) {
  // Opening never waits: a FIFO or a device answers at once and is refused
  // below, as is anything else that is not a regular file.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return LoadStatus::Damaged;
  struct stat info;
  std::vector<unsigned char> bytes;
  bool ok =
      ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && std::size_t(info.st_size) <= MaxFileBytes;
  if (ok) bytes.resize(std::size_t(info.st_size));
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += std::size_t(n);
  }
  ::close(fd);
  if (!ok) return LoadStatus::Damaged;
  return DecodeProject(bytes, project);
}

std::string CleanFileName(std::string_view title) {
  std::string name(title);
  for (char forbidden : {'|', '>', '<', '"', '?', '*', ':', '/', '\\'}) std::erase(name, forbidden);
  return name;
}

const char* LoadStatusMessage(LoadStatus status) {
  switch (status) {
    case LoadStatus::WrongHeader:
      return "Wrong or unknown file structure.Please try another file!";
    case LoadStatus::Damaged:
      return "Error while trying to load file!";
    case LoadStatus::Loaded:
      break;
  }
  return "";
}

const char* LoadStatusTitle(LoadStatus status) {
  return status == LoadStatus::WrongHeader ? "File structure Error" : "Load Error";
}

}  // namespace tarnwick
