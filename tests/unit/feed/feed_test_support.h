// Helpers for the feed's tests: a temporary folder and whole-file reads and writes.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/temp_folder.h"

namespace feed::testing {

using TempFolder = support::TempFolder;

inline void writeFile(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void appendFile(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary | std::ios::app)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The lines of a spot log without their CR LF; a last line without one is kept as it is.
inline std::vector<std::string> spotLogLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// The six comma-separated fields of a record.
inline std::vector<std::string> recordFields(const std::string& record) {
  std::vector<std::string> fields;
  std::stringstream in(record);
  std::string field;
  while (std::getline(in, field, ',')) fields.push_back(field);
  if (!record.empty() && record.back() == ',') fields.emplace_back();
  return fields;
}

}  // namespace feed::testing
