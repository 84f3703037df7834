// Lines cut out of a stream that arrives in pieces of any size.
#include "feed/line_splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace feed {
namespace {

// Feeds `text` in pieces of `pieceBytes` and returns the lines seen ("<overlong>" for one
// that was too long), with the unfinished last line handed over at the end when `finish`.
std::vector<std::string> splitInPieces(const std::string& text, size_t pieceBytes,
                                       size_t maxLineBytes, bool finish) {
  LineSplitter splitter(maxLineBytes);
  std::vector<std::string> lines;
  auto take = [&](std::string_view line, bool overlong) {
    lines.push_back(overlong ? std::string("<overlong>") : std::string(line));
  };
  for (size_t at = 0; at < text.size(); at += pieceBytes) {
    splitter.feed(std::string_view(text).substr(at, pieceBytes), take);
  }
  if (finish) splitter.finish(take);
  return lines;
}

TEST(LineSplitter, GivesTheSameLinesWhateverThePieceSize) {
  const std::string text = "first line\nsecond\r\n\nfourth after an empty one\nunfinished";
  const std::vector<std::string> expected = {"first line", "second\r", "",
                                             "fourth after an empty one"};
  for (size_t piece = 1; piece <= text.size(); ++piece) {
    SCOPED_TRACE("pieces of " + std::to_string(piece));
    EXPECT_EQ(splitInPieces(text, piece, 4096, false), expected);
    std::vector<std::string> finished = expected;
    finished.push_back("unfinished");
    EXPECT_EQ(splitInPieces(text, piece, 4096, true), finished);
  }
}

TEST(LineSplitter, ReportsALineLongerThanTheLimitOnceAndGoesOnAfterIt) {
  const std::string text = "short\n" + std::string(100, 'x') + "\nafter\n" + std::string(11, 'y');
  for (size_t piece : {1u, 3u, 7u, 64u, 1000u}) {
    SCOPED_TRACE("pieces of " + std::to_string(piece));
    EXPECT_EQ(splitInPieces(text, piece, 10, true),
              (std::vector<std::string>{"short", "<overlong>", "after", "<overlong>"}));
  }
}

TEST(LineSplitter, ALineOfExactlyTheLimitIsKept) {
  EXPECT_EQ(splitInPieces("abcdefghij\n", 4, 10, false), (std::vector<std::string>{"abcdefghij"}));
  EXPECT_EQ(splitInPieces("abcdefghijk\n", 4, 10, false), (std::vector<std::string>{"<overlong>"}));
}

TEST(LineSplitter, ResetForgetsTheUnfinishedLine) {
  LineSplitter splitter;
  std::vector<std::string> lines;
  auto take = [&](std::string_view line, bool) { lines.emplace_back(line); };
  splitter.feed("half a li", take);
  EXPECT_EQ(splitter.pendingBytes(), 9u);
  splitter.reset();
  splitter.feed("whole\n", take);
  EXPECT_EQ(lines, (std::vector<std::string>{"whole"}));
}

}  // namespace
}  // namespace feed
