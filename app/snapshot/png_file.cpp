#include "app/snapshot/png_file.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace app {
namespace {

void putBigEndian(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

// A chunk: length, type, data, and the CRC of type and data.
void putChunk(std::vector<uint8_t>& png, std::string_view type, const std::vector<uint8_t>& data) {
  putBigEndian(png, static_cast<uint32_t>(data.size()));
  const size_t typeAt = png.size();
  png.insert(png.end(), type.begin(), type.end());
  png.insert(png.end(), data.begin(), data.end());
  const uLong crc = crc32(0L, png.data() + typeAt, static_cast<uInt>(png.size() - typeAt));
  putBigEndian(png, static_cast<uint32_t>(crc));
}

// Each row: filter byte 0 (none), then R, G, B per pixel.
std::vector<uint8_t> rawRows(int32_t width, int32_t height, const uint32_t* pixels) {
  std::vector<uint8_t> raw;
  raw.reserve(static_cast<size_t>(height) * (1 + 3 * static_cast<size_t>(width)));
  for (int32_t y = 0; y < height; ++y) {
    raw.push_back(0);
    const uint32_t* row = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
    for (int32_t x = 0; x < width; ++x) {
      raw.push_back(static_cast<uint8_t>(row[x] >> 16));
      raw.push_back(static_cast<uint8_t>(row[x] >> 8));
      raw.push_back(static_cast<uint8_t>(row[x]));
    }
  }
  return raw;
}

std::string systemMessage(int error) { return std::strerror(error); }

}  // namespace

std::vector<uint8_t> encodePng(int32_t width, int32_t height, const uint32_t* pixels) {
  const std::vector<uint8_t> raw = rawRows(width, height, pixels);
  uLongf compressedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> compressed(compressedSize);
  compress2(compressed.data(), &compressedSize, raw.data(), static_cast<uLong>(raw.size()), 9);
  compressed.resize(compressedSize);

  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  putBigEndian(header, static_cast<uint32_t>(width));
  putBigEndian(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits per sample, RGB, deflate, no interlace
  putChunk(png, "IHDR", header);
  putChunk(png, "IDAT", compressed);
  putChunk(png, "IEND", {});
  return png;
}

std::string replaceFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
  // Beside the target, so that the rename stays on one file system.
  const std::string temporary = path + ".partial";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) return "cannot write \"" + temporary + "\": " + systemMessage(errno);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int writeError = errno;
  const bool closed = std::fclose(file) == 0;
  std::error_code error;
  if (!written || !closed) {
    std::filesystem::remove(temporary, error);
    return "cannot write \"" + temporary + "\": " + systemMessage(written ? errno : writeError);
  }
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return "cannot replace \"" + path + "\": " + error.message();
  }
  return {};
}

}  // namespace app
