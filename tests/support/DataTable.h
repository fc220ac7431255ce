#pragma once

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

// Calls `read` with each data row of a table from tools/make_expected.py, commas made blanks.
inline void ForEachRow(const std::string& name, auto read) {
  std::ifstream in(std::string(TARNWICK_SOURCE_DIR) + "/tests/data/" + name);
  std::string line;
  while (std::getline(in, line) && line[0] == '#') continue;  // and the column names
  for (std::istringstream row; std::getline(in, line); read(row)) {
    std::ranges::replace(line, ',', ' ');
    row.clear(), row.str(line);
  }
}
