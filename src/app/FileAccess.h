#pragma once

#include <optional>
#include <string>

namespace tarnwick {

// Why a project file named on the command line cannot be read, in the system's words ("No
// such file or directory", "Permission denied", "Is a directory"), or nothing when it is a
// regular file that opens for reading. Only a regular file is ever read as a project, so
// anything else is refused here before it is opened; what the file holds is not looked at.
std::optional<std::string> WhyUnreadable(const std::string& path);

}  // namespace tarnwick
