// One line of a decoder log in the ALL_WSPR.TXT style, taken apart into a decode.
//
// Weak-signal decoders append one decode per line, columns separated by runs of blanks:
//   yymmdd hhmm snr dt freq message… drift …            (SNR third, time offset fourth)
//   yymmdd hhmm sync snr dt freq message… drift …       (a sync-quality column first)
// The two are told apart by the fourth column: a time offset always has a decimal point, an
// SNR never does. The message is "CALL GRID POWER", "CALL POWER" (a compound call, no
// locator), "<CALL> GRID6 POWER" (a hashed call the decoder resolved) or "<...> GRID6 POWER".
// The locator and power words are taken as the decoder wrote them: a locator is any word of four
// or six letters and digits (telemetry sends words that are not Maidenhead squares), a power any
// whole number.
// Rows of other modes (a general decoder log), rows recording the station's own
// transmissions and anything else are classified so that the feed can skip and count them.
//
// Every text field of a decode is checked against a narrow character set (letters, digits,
// '/', '.', '-'), so nothing that reaches the spot log can hold a comma, a quote, a line end
// or a control byte that would change how the plotter reads its fields.
#pragma once

#include <cstdint>
#include <string_view>

namespace feed {

enum class LineKind {
  Decode,           // a WSPR decode; the fields are filled in
  Blank,            // nothing but blanks: not a record, not counted
  OtherMode,        // a row of another mode's log (for example FT8 in a general log)
  OwnTransmission,  // the station's own transmission ("Tx", "Transmitting")
  Unreadable,       // parses as nothing the feed knows
};

// A decode. The views point into the line that was parsed and live as long as it does.
struct Decode {
  int year = 0;  // 2000 + yy
  int month = 0;
  int day = 0;
  int hour = 0;  // UTC, as the decoder wrote it
  int minute = 0;
  int snr = 0;                 // dB, whole number
  std::string_view frequency;  // MHz, the text as the decoder wrote it
  double frequencyMhz = 0;     // the same, as a number (for the band filter)
  std::string_view call;       // angle brackets of a resolved hashed call removed
  std::string_view locator;    // empty for "CALL POWER"
  int powerDbm = 0;
};

struct ParsedLine {
  LineKind kind = LineKind::Unreadable;
  Decode decode;  // valid when kind is Decode
};

// Parses one line (without its line end; a trailing CR is ignored). Pure function, any thread;
// no allocation, linear in the line's length.
ParsedLine parseDecodeLine(std::string_view line);

// Minutes since 1970-01-01 00:00 UTC of the decode's date and time.
int64_t utcMinutes(const Decode& decode);

}  // namespace feed
