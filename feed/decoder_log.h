// Lines of a decoder log of any layout the feed reads, taken apart into decodes.
//
// The layouts, told apart by each row's first columns:
// - WSPR columns (ALL_WSPR.TXT): "yymmdd hhmm snr dt MHz message ..." (decode_line.h).
// - Dated rows (ALL.TXT of current decoders): "yymmdd_hhmmss dialMHz Rx FT8 snr dt audioHz
//   message [?] [aN]", also "Rx FT4"; "Tx" rows are the station's own, other modes' rows
//   (JT65, JT9, Q65, MSK144, FST4, WSPR, FT8_SF, ...) are skipped.
// - Header rows (ALL.TXT of older versions): "yyyy-mm-dd hh:mm dial MHz MODE" (the date also as
//   "2015-Apr-18") gives the date, dial and mode to the rows after it, which read "hhmmss snr
//   dt audioHz ~ message".
// - Monthly rows (another decoder, a file per month): "yyyyMMdd_hhmmss snr dt audioHz ~
//   message mark" (":" for FT4, "+" for a mode that is not read), the message in a field of
//   26 characters followed by the decoder's mark; band rows "yyyyMMdd_hhmmss dial MHz FT8 ..."
//   give the dial; "QSO logged" and "partial loss of data" rows are notes.
// A row of the header or monthly layout before any row that gives its date or dial is skipped
// and counted. The FT8 and FT4 message rule is in ft8_message.h; their frequency is the dial
// plus the audio offset, written with six decimals.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "feed/decode_line.h"

namespace feed {

enum class Layout { Unknown, WsprColumns, DatedRows, HeaderRows, MonthlyRows };

// The layout's name, for the feed's report ("dated rows (ALL.TXT)").
std::string_view layoutName(Layout layout);

// What the last header or band row said about the rows after it.
struct RowContext {
  bool dated = false;  // a header row gave the date (header layout)
  int year = 0, month = 0, day = 0;
  bool dialKnown = false;
  int64_t dialHz = 0;
  std::string mode;  // as the header row wrote it ("FT8", "JT9+JT65")
  bool operator==(const RowContext&) const = default;
};

class DecoderLogParser {
 public:
  // Parses one line (without its LF; a trailing CR is ignored). The decode's views live until
  // the next call. One thread; no allocation for the rows of a decode.
  ParsedLine parse(std::string_view line);

  // The layout of the last row recognised.
  Layout layout() const { return layout_; }

  // The log starts again from its beginning: what its header rows said is forgotten.
  void startOver() { context_ = {}; }

  const RowContext& context() const { return context_; }
  void restore(const RowContext& context) { context_ = context; }

 private:
  ParsedLine datedRow(const Columns& columns, std::string_view line);
  ParsedLine headerRow(const Columns& columns);
  ParsedLine headerLayoutDecode(const Columns& columns, std::string_view line);
  ParsedLine monthlyRow(const Columns& columns, std::string_view line);
  // Fills in the FT8/FT4 fields shared by the layouts; the kind of the row.
  LineKind readFt8Decode(Mode mode, int64_t dialHz, const Columns& columns, size_t snrColumn,
                         std::string_view message, Decode& decode);

  RowContext context_;
  Layout layout_ = Layout::Unknown;
  char frequency_[32] = {};
};

}  // namespace feed
