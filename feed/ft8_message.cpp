// The message rule of ft8_message.h: the words of the message, then the sender among them.
#include "feed/ft8_message.h"

#include "feed/columns.h"

namespace feed {
namespace {

constexpr size_t maxCallBytes = 16;

bool isLetter(char c) { return isUpper(c) || isLower(c); }

// Letters, digits and '/', at least one letter and one digit.
bool isPlainCall(std::string_view word) {
  if (word.empty() || word.size() > maxCallBytes) return false;
  bool letter = false, digit = false;
  for (char c : word) {
    if (isLetter(c)) {
      letter = true;
    } else if (isDigit(c)) {
      digit = true;
    } else if (c != '/') {
      return false;
    }
  }
  return letter && digit;
}

// A call as the message holds it: plain, "<CALL>" (given as CALL) or "<...>" (kept).
bool readCall(std::string_view word, std::string_view& call) {
  if (word == "<...>") {
    call = word;
    return true;
  }
  if (word.size() > 2 && word.front() == '<' && word.back() == '>') {
    word = word.substr(1, word.size() - 2);
  }
  if (!isPlainCall(word)) return false;
  call = word;
  return true;
}

// A four-character Maidenhead square, "RR73" excepted (it reads like one).
bool isGrid(std::string_view word) {
  return word.size() == 4 && word[0] >= 'A' && word[0] <= 'R' && word[1] >= 'A' && word[1] <= 'R' &&
         isDigit(word[2]) && isDigit(word[3]) && word != "RR73";
}

// The X of "CQ X CALL": "DX", one to four letters, or three digits.
bool isDirective(std::string_view word) {
  if (word.empty() || word.size() > 4) return false;
  bool letters = true, digits = word.size() == 3;
  for (char c : word) {
    letters = letters && isLetter(c);
    digits = digits && isDigit(c);
  }
  return letters || digits;
}

std::string_view gridAt(const Columns& words, size_t i) {
  return i < words.count && isGrid(words.text[i]) ? words.text[i] : std::string_view();
}

}  // namespace

MessageSpot spotOfMessage(std::string_view message) {
  // The message's words are its columns (columns.h).
  Columns all = splitColumns(message);
  MessageSpot spot;
  // Marks after the message: the a-priori tag, then the low-confidence mark before it.
  if (all.count > 0 && all.text[all.count - 1].size() == 2 && all.text[all.count - 1][0] == 'a' &&
      all.text[all.count - 1][1] >= '1' && all.text[all.count - 1][1] <= '7') {
    --all.count;
  }
  if (all.count > 0 && all.text[all.count - 1] == "?") {
    spot.kind = MessageSpot::Kind::LowConfidence;
    return spot;
  }
  // A multi-stream message: the stream after the last ';'.
  Columns words;
  for (size_t i = 0; i < all.count; ++i) {
    if (all.text[i].back() == ';') {
      words.count = 0;
    } else {
      words.text[words.count++] = all.text[i];
    }
  }
  if (words.count < 2) return spot;
  const std::string_view first = words.text[0];
  if (first == "CQ" || first == "QRZ" || first == "DE") {
    size_t at = 1;
    if (!readCall(words.text[1], spot.call)) {
      if (first != "CQ" || !isDirective(words.text[1]) || words.count < 3 ||
          !readCall(words.text[2], spot.call)) {
        return spot;
      }
      at = 2;
    }
    spot.locator = gridAt(words, at + 1);
    spot.kind = MessageSpot::Kind::Spot;
    return spot;
  }
  std::string_view ignored;
  if (!readCall(first, ignored) || !readCall(words.text[1], spot.call)) return spot;
  const size_t next = words.count > 2 && words.text[2] == "R" ? 3 : 2;
  spot.locator = gridAt(words, next);
  spot.kind = MessageSpot::Kind::Spot;
  return spot;
}

}  // namespace feed
