// A fresh folder under the system's temporary folder for one test, removed with its contents.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

namespace support {

class TempFolder {
 public:
  // A name that no folder has yet: create_directory makes it only when nothing has that name.
  explicit TempFolder(std::string_view prefix = "ferlang-test-") {
    std::random_device seed;
    std::mt19937_64 random(seed());
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const std::filesystem::path candidate = base / (std::string(prefix) + std::to_string(random()));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error)) path_ = candidate.string();
    }
    if (path_.empty()) ADD_FAILURE() << "cannot make a temporary folder";
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }

  // Writes `bytes` to a file of the folder and returns its path.
  std::string write(std::string_view name, std::string_view bytes) const {
    std::string path = file(name);
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

 private:
  std::string path_;
};

}  // namespace support
