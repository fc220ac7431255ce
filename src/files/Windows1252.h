#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// Project files keep their texts one byte a character in the Windows-1252
// code page; the program keeps them as UTF-8.

// UTF-8 to Windows-1252. A character the code page cannot hold, and any
// byte that is not valid UTF-8, becomes the code page's replacement "?".
std::string ToWindows1252(std::string_view utf8);

// Windows-1252 to UTF-8. The five bytes the code page leaves undefined map
// to the control characters of the same number, so they survive a round trip.
std::string FromWindows1252(std::string_view bytes);

}  // namespace tarnwick
