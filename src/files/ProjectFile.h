#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/FileWriter.h"
#include "model/ProjectData.h"

namespace tarnwick {

// The 30 bytes in front of every project file. Only FileId and
// HeaderCheckValue are checked on loading; DataLength is set on every save.
struct ProjectFileHeader {
  std::array<char, 6> FileId = {'Q', '-', 'V', ' ', 'L', 'A'};
  std::int16_t Version = 1;              // offset 6, never read
  std::int16_t HeaderSize = 20;          // offset 8, never read
  std::array<char, 2> Tag = {'q', 'z'};  // offset 10, never read
  std::int16_t HeaderCheckValue = 1;
  std::int32_t Reserved = 0;    // offset 14, never read
  std::int32_t Sections = 1;    // offset 18, never read
  std::int32_t DataLength = 0;  // bytes after the header
  std::int32_t DataStart = 31;  // position (from 1) of the first data byte
};

inline constexpr std::size_t FileHeaderBytes = 30;

// The longest text a text box holds; a file with a longer title, author or
// unit text is refused rather than cut.
inline constexpr std::int32_t MaxTextLength = 32767;

// State of the file module of one window.
struct FileRW {
  ProjectFileHeader FileHeader;
  std::string FilePath;  // UTF-8; empty until a file is chosen
};

enum class LoadStatus {
  Loaded,
  WrongHeader,  // not a project file: "File structure Error"
  Damaged,      // unreadable, cut short, or holding values no control can take: "Load Error"
};

// What the user is told of a refusal: "Error while trying to load file!" and the like.
const char* LoadStatusMessage(LoadStatus status);
const char* LoadStatusTitle(LoadStatus status);

// The bytes of a project file for the project: the header, the data, and the prediction
// options' block when an option is on (see PredictionBlock.h). Sets header.DataLength, which
// counts the data only.
std::vector<unsigned char> EncodeProject(const ProjectData& project, ProjectFileHeader& header);

// Reads a whole project file. Only a complete file whose values the window
// can show replaces `project`; on any refusal `project` is left exactly as
// it was. Fields beyond the counts in the file keep the values they had.
// Bytes after the data are ignored.
LoadStatus DecodeProject(std::span<const unsigned char> bytes, ProjectData& project);

// Writes the project to `path` through WriteFile (see there): a file is replaced only
// once the new one is complete, so a failure leaves any earlier file untouched; a
// target the user may not write is refused; the replaced file's permissions are kept;
// a link's target is replaced, not the link. Sets header.DataLength when written.
// The window's saves go to files only: a device, a FIFO or a socket is refused.
bool WriteProjectFile(const std::string& path, const ProjectData& project,
                      ProjectFileHeader& header);
// The same to the targets `allowed`, saying why when it is refused.
WriteResult WriteProjectFile(const std::string& path, const ProjectData& project,
                             ProjectFileHeader& header, WriteTargets allowed);

// Reads `path` (UTF-8) into `project` with DecodeProject's rules; anything
// but a regular file, and a file that cannot be opened or read, is Damaged,
// without waiting on it.
LoadStatus ReadProjectFile(const std::string& path, ProjectData& project);

// The title as a file name: the characters | > < " ? * : / \ removed.
std::string CleanFileName(std::string_view title);

}  // namespace tarnwick
