// A decode written as one record of the spot log the plotter reads:
//   call,frequency,hh:mm:00,locator,snr,power dBm CR LF
// The plotter reads six comma-separated fields per line (call, text, time, text, whole dB,
// text); the decode's fields are checked when the line is parsed (decode_line.h), so none of
// them holds a comma, a quote or a line end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "feed/decode_line.h"

namespace feed {

// The heading line written first to a new or empty spot log (the plotter discards it).
inline constexpr std::string_view spotLogHeading = "Spots converted from ALL_WSPR.TXT\r\n";

// Time of day of a record.
struct TimeOfDay {
  int hour = 0;
  int minute = 0;
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
