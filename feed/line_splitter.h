// Cutting a byte stream into lines, as the decoder log grows in pieces of any size.
//
// A line ends at LF (a CR before it is left to the line parser, which ignores it). A line not
// yet ended is kept until the rest arrives. A line longer than the limit is not kept: its bytes
// are dropped up to its end and it is reported once as overlong, so that memory stays flat
// whatever the file holds.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace feed {

class LineSplitter {
 public:
  static constexpr size_t defaultMaxLineBytes = 4096;
  explicit LineSplitter(size_t maxLineBytes = defaultMaxLineBytes) : maxLineBytes_(maxLineBytes) {}

  // Calls onLine(line, overlong) for each line that `bytes` completes, in order. The view is
  // valid during the call only (empty for an overlong line). One thread.
  template <class OnLine>
  void feed(std::string_view bytes, OnLine&& onLine);

  // Hands over a last line that has no line end (at the end of a one-time conversion).
  template <class OnLine>
  void finish(OnLine&& onLine);

  // Forgets an unfinished line (the file started again from its beginning).
  void reset() {
    partial_.clear();
    overlong_ = false;
  }

  size_t pendingBytes() const { return partial_.size(); }

  // The unfinished line, to be taken up in a later run (resume_state.h).
  const std::string& partialLine() const { return partial_; }
  bool insideOverlongLine() const { return overlong_; }
  void resume(std::string partialLine, bool insideOverlongLine) {
    partial_ = std::move(partialLine);
    overlong_ = insideOverlongLine;
  }

 private:
  size_t maxLineBytes_;
  std::string partial_;
  bool overlong_ = false;  // the current line passed the limit; dropping up to its end
};

template <class OnLine>
void LineSplitter::feed(std::string_view bytes, OnLine&& onLine) {
  while (!bytes.empty()) {
    const size_t end = bytes.find('\n');
    const std::string_view piece = bytes.substr(0, end);
    const bool tooLong = overlong_ || partial_.size() + piece.size() > maxLineBytes_;
    if (end == std::string_view::npos) {  // the line goes on in a later block
      if (tooLong) {
        overlong_ = true;
        partial_.clear();
      } else {
        partial_.append(piece);
      }
      return;
    }
    if (tooLong) {
      onLine(std::string_view(), true);
    } else if (partial_.empty()) {
      onLine(piece, false);  // a whole line inside this block: no copy
    } else {
      partial_.append(piece);
      onLine(std::string_view(partial_), false);
    }
    partial_.clear();
    overlong_ = false;
    bytes.remove_prefix(end + 1);
  }
}

template <class OnLine>
void LineSplitter::finish(OnLine&& onLine) {
  if (overlong_) {
    onLine(std::string_view(), true);
  } else if (!partial_.empty()) {
    onLine(std::string_view(partial_), false);
  }
  reset();
}

}  // namespace feed
