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

#include "feed/columns.h"

namespace feed {

// The modes whose decodes become spots.
enum class Mode { Wspr, Ft8, Ft4 };
inline constexpr int modeCount = 3;

enum class LineKind {
  Decode,           // a decode; the fields are filled in
  Blank,            // nothing but blanks: not a record, not counted
  Heading,          // a row that describes the rows after it (date, dial, mode): not counted
  OtherMode,        // a row of another mode (JT65 in a general log, FT8 in a WSPR one, ...)
  OwnTransmission,  // the station's own transmission ("Tx", "Transmitting")
  LowConfidence,    // a decode marked "?": its call signs may be wrong
  NoSender,         // a decode whose message names no sender (free text, telemetry)
  NoHeading,        // a decode before any row that gives its date or dial
  Note,             // a decoder's note ("QSO logged", "partial loss of data")
  Unreadable,       // parses as nothing the feed knows
};

// A decode. The views point into the line that was parsed (or the parser's own buffer) and
// live until the next line is parsed.
struct Decode {
  Mode mode = Mode::Wspr;
  int year = 0;  // four digits
  int month = 0;
  int day = 0;
  int hour = 0;  // UTC, as the decoder wrote it
  int minute = 0;
  int second = 0;
  int snr = 0;                 // dB, whole number
  std::string_view frequency;  // MHz: as the WSPR decoder wrote it, dial + audio for FT8/FT4
  double frequencyMhz = 0;     // the same, as a number (for the band filter)
  std::string_view call;       // angle brackets of a resolved hashed call removed
  std::string_view locator;    // empty when the message has none
  bool hasPower = true;        // FT8 and FT4 send no power
  int powerDbm = 0;
};

struct ParsedLine {
  LineKind kind = LineKind::Unreadable;
  Decode decode;  // valid when kind is Decode
};

// Parses one line of the ALL_WSPR.TXT layouts (without its line end; a trailing CR is
// ignored). Pure function, any thread; no allocation, linear in the line's length.
ParsedLine parseDecodeLine(std::string_view line);

// The same for a line already cut into columns (columns.h).
ParsedLine parseWsprColumns(const Columns& columns);

// Whether a row records the station's own transmission: "Tx", "Transmitting" or
// "Retransmitting" in its first columns.
bool mentionsOwnTransmission(const Columns& columns);

// Minutes since 1970-01-01 00:00 UTC of the decode's date and time.
int64_t utcMinutes(const Decode& decode);

}  // namespace feed
