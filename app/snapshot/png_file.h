// Writing a picture as a PNG file that readers see whole or not at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace app {

// The PNG encoding of a width x height picture of 0xAARRGGBB words (alpha ignored): 8-bit
// RGB, rows unfiltered, compressed with zlib.
std::vector<uint8_t> encodePng(int32_t width, int32_t height, const uint32_t* pixels);

// Writes `bytes` to a temporary file beside `path` and renames it over `path`, so that a reader
// (a web server, say) never sees a partial file; on failure the temporary file is removed and
// `path` is left as it was. Returns "" or the reason it failed.
std::string replaceFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace app
