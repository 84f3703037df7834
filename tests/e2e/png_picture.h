// Reading a PNG file back as a picture, with libpng: the pictures the program writes are
// checked by a decoder that is not ours.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/x11_driver/x11_driver.h"

namespace e2e {

// A PNG file's pixels as 0xRRGGBB words; an empty picture when it cannot be read.
inline x11driver::Picture readPng(const std::string& path) {
  x11driver::Picture picture;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return picture;
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) == 0) return picture;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
    picture.pixels.push_back(static_cast<uint32_t>(rgb[i]) << 16 |
                             static_cast<uint32_t>(rgb[i + 1]) << 8 | rgb[i + 2]);
  }
  return picture;
}

}  // namespace e2e
