// PNG files: a picture read back by libpng is the picture written, and a file is replaced
// whole or not at all.
#include "app/snapshot/png_file.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace app {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(PngFileTest, LibpngReadsBackEveryPixel) {
  const int width = 37, height = 23;  // odd sizes: no row padding can hide
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u >> 8);
  const std::vector<uint8_t> png = encodePng(width, height, pixels.data());

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_NE(png_image_begin_read_from_memory(&image, png.data(), png.size()), 0) << image.message;
  EXPECT_EQ(image.width, static_cast<png_uint_32>(width));
  EXPECT_EQ(image.height, static_cast<png_uint_32>(height));
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_NE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr), 0) << image.message;
  size_t wrong = 0;
  for (size_t i = 0; i < pixels.size(); ++i) {
    uint32_t read = static_cast<uint32_t>(rgb[3 * i]) << 16 | static_cast<uint32_t>(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
    if (read != (pixels[i] & 0xFFFFFFu)) ++wrong;
  }
  EXPECT_EQ(wrong, 0u);
}

class ReplaceFileTest : public testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() /
             ("ferlang-png-" + std::to_string(testing::UnitTest::GetInstance()->random_seed()) + "-" +
              testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }
  fs::path folder;
};

TEST_F(ReplaceFileTest, AnExistingFileIsReplacedAndNoTemporaryFileStays) {
  const fs::path target = folder / "chart.png";
  std::ofstream(target) << "old picture";
  EXPECT_EQ(replaceFileAtomically(target.string(), {'n', 'e', 'w'}), "");
  EXPECT_EQ(readAll(target), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(ReplaceFileTest, AFailedWriteOrRenameLeavesNoFileAndTheTargetAsItWas) {
  // The folder is missing: nothing can be written.
  const fs::path inMissingFolder = folder / "missing" / "chart.png";
  EXPECT_NE(replaceFileAtomically(inMissingFolder.string(), {'x'}), "");
  EXPECT_FALSE(fs::exists(folder / "missing"));
  // The target is a folder with contents: the rename fails, the folder stays as it was.
  const fs::path aFolder = folder / "chart.png";
  fs::create_directories(aFolder / "inside");
  EXPECT_NE(replaceFileAtomically(aFolder.string(), {'x'}), "");
  EXPECT_TRUE(fs::is_directory(aFolder / "inside"));
  EXPECT_FALSE(fs::exists(folder / "chart.png.partial"));
}

}  // namespace
}  // namespace app
