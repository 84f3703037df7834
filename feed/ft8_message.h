// Which station an FT8 or FT4 decode is a spot of, from its message.
//
// One rule for every message the decoders print:
// - A trailing a-priori tag ("a1" to "a7") is dropped. A decode marked low-confidence ("?" after
//   the message) is not a spot: its call signs may be wrong.
// - In a multi-stream message ("CALL1 RR73; CALL2 <CALL3> -10", "TU; CALL1 CALL2 ...") only what
//   follows the last ';' is read.
// - "CQ [X] CALL [GRID]", "QRZ CALL [GRID]", "DE CALL [GRID]", where X is "DX", one to four
//   letters ("POTA", "TEST", "NA") or three digits: the spot is CALL, with GRID when present.
// - "CALL1 CALL2 ..." (a reply, a report, "R-12", "RRR", "RR73", "73", a contest exchange,
//   "R GRID"): the spot is CALL2, the sender; its locator is the word after CALL2 (or after a
//   lone "R") when that is a four-character grid other than "RR73".
// - A call sign is letters, digits and '/' with at least one letter and one digit; "<CALL>"
//   gives CALL, "<...>" stays as it is; compound calls are kept as written. A message with no
//   such sender (free text, telemetry) is not a spot.
#pragma once

#include <string_view>

namespace feed {

struct MessageSpot {
  enum class Kind {
    Spot,           // call (and locator) filled in
    LowConfidence,  // marked "?"
    NoSender,       // free text, telemetry, anything without a sender's call
  } kind = Kind::NoSender;
  std::string_view call;     // points into the message
  std::string_view locator;  // empty when the message has none
};

// The spot of `message` (the decoder's message column, blanks between words, trailing blanks
// allowed). Pure function, any thread; no allocation.
MessageSpot spotOfMessage(std::string_view message);

}  // namespace feed
