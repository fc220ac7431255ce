#pragma once

#include <span>
#include <string>
#include <string_view>

namespace tarnwick {

// What a write may go to. The window saves projects to files only; exports and the
// command line's --out may also go to a device (/dev/null, a terminal), a FIFO, or the
// program's own streams (/dev/stdout, /proc/self/fd/N).
enum class WriteTargets { RegularOnly, AnyStream };

struct WriteResult {
  bool Ok = false;
  std::string Reason;  // when refused: short, to follow the path ("is a folder", "disk full")
  explicit operator bool() const { return Ok; }
};

// Every file the program writes goes through here. What stands at `path` (links
// followed) decides how:
// - a regular file, or a name not yet taken: the bytes go to a new file beside the
//   target (a link's target, not the link), which replaces it only once completely
//   written and synced, with the replaced file's permission bits (a new file's are
//   0666 less the umask). A file the user may not write is refused. On any failure
//   the new file is removed and the old one is exactly as it was.
// - a character device, a FIFO or a socket, and the program's own streams: written to
//   in place, never replaced or truncated; a FIFO nobody reads is refused at once
//   instead of waiting. With RegularOnly these are refused.
// - a folder, a block device or anything else: refused.
// A reader going away or a file size limit fails the write instead of ending the
// program.
WriteResult WriteFile(const std::string& path, std::span<const unsigned char> bytes,
                      WriteTargets allowed);
WriteResult WriteFile(const std::string& path, std::string_view text, WriteTargets allowed);

}  // namespace tarnwick
