// Fuzzes the feed's line parser (every layout) and record formatting: any bytes, cut into
// lines, must give either nothing or records of exactly six fields, free of quotes, control
// bytes and byte 26, ending in CR LF. The same bytes are read as a settings file too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "feed/converter.h"
#include "feed/line_splitter.h"
#include "feed/settings_file.h"

namespace {

void checkRecords(std::string_view out) {
  while (!out.empty()) {
    const size_t end = out.find("\r\n");
    if (end == std::string_view::npos) std::abort();
    const std::string_view record = out.substr(0, end);
    size_t commas = 0;
    for (char c : record) {
      const auto byte = static_cast<unsigned char>(c);
      if (c == ',') ++commas;
      if (byte < 32 || byte >= 127 || c == '"') std::abort();
    }
    // WSPR records end with the power, FT8 and FT4 records with an empty power field.
    const bool powerEnds = record.size() >= 4 && record.compare(record.size() - 4, 4, " dBm") == 0;
    if (commas != 5 || (!powerEnds && record.back() != ',')) std::abort();
    out.remove_prefix(end + 2);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  feed::Converter converter({});
  feed::LineSplitter splitter(256);
  std::string out;
  auto take = [&](std::string_view line, bool overlong) {
    if (overlong) {
      converter.countOverlongLine();
    } else {
      converter.convertLine(line, out);
    }
  };
  // Half in one piece, half byte by byte, so that lines cross block edges.
  splitter.feed(bytes.substr(0, size / 2), take);
  for (size_t i = size / 2; i < size; ++i) splitter.feed(bytes.substr(i, 1), take);
  splitter.finish(take);
  checkRecords(out);
  // Byte 26 ends a settings file's data: no field holds it.
  for (const std::string& field : feed::readSettingsFields(bytes)) {
    if (field.find('\x1a') != std::string::npos) std::abort();
  }
  return 0;
}
