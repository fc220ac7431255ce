#pragma once

#include <array>

#include "acoustics/ModuleData.h"

namespace tarnwick {

// The built-in directivity in table order, defined in the generated DirectivityTable.cpp
// (tools/make_directivity.py). FillDirectivity copies it into the window's Constants.
extern const std::array<DirectivityPoint, DirectivityEntryCount> ModuleDirectivity;

}  // namespace tarnwick
