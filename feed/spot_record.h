// A decode written as one record of the spot log the plotter reads:
//   call,frequency,hh:mm:ss,locator,snr,power dBm CR LF
// FT8 and FT4 send no power: their records end with an empty power field ("...,-12," CR LF).
// The plotter reads six comma-separated fields per line (call, text, time, text, whole dB,
// text); the decode's fields are checked when the line is parsed (decode_line.h), so none of
// them holds a comma, a quote or a line end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "feed/decode_line.h"

namespace feed {

// The heading line written first to a new or empty spot log (the plotter discards it): which
// file the records come from ("Spots converted from ALL_WSPR.TXT"), its name's characters
// other than letters, digits, '.', '_' and '-' written as '_'.
std::string spotLogHeading(std::string_view sourcePath);

// A reader of a file that grows sees an appended write become visible page by page: a line
// that crosses a page boundary can be seen cut short at it, for a moment, whatever the writer
// does. So the feed keeps every line it appends within a block of this size (a multiple of
// every page size in use): before a line that would cross a block boundary, the line before
// it gets blanks before its line end, up to the boundary; and a write that ends close to a
// boundary fills the rest of its block the same way. The blanks end the power field, and the
// plotter drops a field's trailing blanks, so every record reads as it did.
inline constexpr int64_t lineBlockBytes = 4096;

// Copies `records` (whole lines, each ending with LF), to be appended at `fileOffset`, to
// `out`, padded as above. A line that cannot be kept within a block (the first one, after lines
// of others) stays as it is. `out` is emptied first and keeps its memory. Any thread.
void keepLinesInBlocks(std::string_view records, int64_t fileOffset, std::string& out);

// `line` (ending with CR LF, or without a line end) without the blanks before its line end.
std::string_view withoutPadding(std::string_view line);

// Time of day of a record.
struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Appends the record of `decode` at time of day `time` to `out`. Any thread.
void appendSpotRecord(std::string& out, const Decode& decode, TimeOfDay time);

// Turns the decoder's UTC date and time into the local time of day, remembering the last
// minute converted (decodes come in runs of the same minute). One per thread.
class LocalTimeConverter {
 public:
  TimeOfDay localTimeOf(const Decode& decode);

 private:
  int64_t lastUtcMinutes_ = -1;
  TimeOfDay lastLocal_;
};

}  // namespace feed
