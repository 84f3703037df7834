#include "runtime/platform/message_box_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rt {
namespace {

// A 6 x 13 fixed font, like the X server's "fixed".
DialogFontMetrics fixedFont() {
  DialogFontMetrics font;
  font.ascentPx = 11;
  font.descentPx = 2;
  font.textWidthPx = [](std::string_view s) { return 6 * static_cast<int>(s.size()); };
  return font;
}

bool overlap(const DialogRect& a, const DialogRect& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

TEST(MessageLines, SplitAtEveryLineFeedAndDropACarriageReturnBeforeIt) {
  struct Case {
    std::string text;
    std::vector<std::string_view> lines;
  } cases[] = {
      {"Line:243\nFile not found\nContinue?", {"Line:243", "File not found", "Continue?"}},
      {"Division by zero", {"Division by zero"}},
      {"", {""}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb", {"a\rb"}},
      {"a\n", {"a", ""}},
      {"\n\n", {"", "", ""}},
  };
  for (const Case& c : cases) EXPECT_EQ(splitMessageLines(c.text), c.lines) << c.text;
}

TEST(DialogLayout, YesNoDialogHasYesThenNoSideBySideBelowTheText) {
  const std::string text = "Line:243\nFile not found\nContinue?";
  DialogLayout layout =
      layoutDialog("Unhandled Error #53", text, MessageBoxButtons::YesNo, fixedFont(), 1000);
  ASSERT_EQ(layout.buttons.size(), 2u);
  const DialogButton& yes = layout.buttons[0];
  const DialogButton& no = layout.buttons[1];
  EXPECT_EQ(yes.answer, MessageBoxAnswer::Yes);
  EXPECT_EQ(yes.label, "Yes");
  EXPECT_TRUE(yes.isDefault);
  EXPECT_EQ(no.answer, MessageBoxAnswer::No);
  EXPECT_FALSE(no.isDefault);
  EXPECT_LT(yes.box.x + yes.box.width, no.box.x);
  EXPECT_EQ(yes.box.y, no.box.y);
  const int lastTextBottom = layout.firstBaselineY + 2 * layout.lineHeightPx + 2;
  EXPECT_GT(yes.box.y, lastTextBottom);
  for (const DialogButton& button : layout.buttons) {
    EXPECT_GE(button.box.x, 0);
    EXPECT_LE(button.box.x + button.box.width, layout.widthPx);
    EXPECT_LE(button.box.y + button.box.height, layout.heightPx);
  }
  // The pair is centred.
  EXPECT_NEAR(yes.box.x, layout.widthPx - (no.box.x + no.box.width), 1);
}

TEST(DialogLayout, OkDialogHasOneCentredDefaultButton) {
  DialogLayout layout =
      layoutDialog("Critical Error #7", "Out of memory", MessageBoxButtons::Ok, fixedFont(), 1000);
  ASSERT_EQ(layout.buttons.size(), 1u);
  const DialogButton& ok = layout.buttons[0];
  EXPECT_EQ(ok.answer, MessageBoxAnswer::Ok);
  EXPECT_EQ(ok.label, "OK");
  EXPECT_TRUE(ok.isDefault);
  EXPECT_NEAR(ok.box.x, layout.widthPx - (ok.box.x + ok.box.width), 1);
}

TEST(DialogLayout, CaptionTextAndButtonsDoNotOverlapAndStayInside) {
  DialogLayout layout =
      layoutDialog("Caption", "one\ntwo\nthree\nfour", MessageBoxButtons::YesNo, fixedFont(), 1000);
  const int glyphHeight = 13;
  DialogRect caption{layout.captionX, layout.captionBaselineY - 11, 6 * 7, glyphHeight};
  EXPECT_LT(caption.y + caption.height, layout.separatorY + 1);
  EXPECT_GT(layout.firstBaselineY - 11, layout.separatorY);
  for (size_t i = 0; i < layout.lines.size(); ++i) {
    DialogRect line{layout.textX,
                    layout.firstBaselineY - 11 + static_cast<int>(i) * layout.lineHeightPx,
                    6 * static_cast<int>(layout.lines[i].size()), glyphHeight};
    EXPECT_FALSE(overlap(line, caption)) << i;
    for (const DialogButton& button : layout.buttons) EXPECT_FALSE(overlap(line, button.box)) << i;
  }
  EXPECT_GE(layout.lineHeightPx, glyphHeight);  // lines do not run into each other
  EXPECT_GE(caption.y, 0);
  EXPECT_FALSE(overlap(layout.buttons[0].box, layout.buttons[1].box));
}

TEST(DialogLayout, EachExtraLineAddsOneLineHeight) {
  DialogFontMetrics font = fixedFont();
  DialogLayout one = layoutDialog("C", "a", MessageBoxButtons::Ok, font, 1000);
  DialogLayout three = layoutDialog("C", "a\nb\nc", MessageBoxButtons::Ok, font, 1000);
  EXPECT_EQ(three.heightPx - one.heightPx, 2 * one.lineHeightPx);
  EXPECT_EQ(three.buttons[0].box.y - one.buttons[0].box.y, 2 * one.lineHeightPx);
}

TEST(DialogLayout, WidthFollowsTheWidestOfCaptionAndLinesWithinTheLimit) {
  DialogFontMetrics font = fixedFont();
  struct Case {
    const char* name;
    std::string caption, text;
    int maxWidth;
    int minWidth, maxWidthExpected;
  } cases[] = {
      {"a long line widens the dialog", "C", std::string(100, 'x'), 1000, 600, 660},
      {"a long caption widens the dialog", std::string(80, 'c'), "short", 1000, 480, 540},
      {"short texts keep a sensible minimum", "C", "x", 1000, 150, 300},
      {"the limit cuts a very long line", "C", std::string(1000, 'x'), 400, 400, 400},
  };
  for (const Case& c : cases) {
    DialogLayout layout =
        layoutDialog(c.caption, c.text, MessageBoxButtons::YesNo, font, c.maxWidth);
    EXPECT_GE(layout.widthPx, c.minWidth) << c.name;
    EXPECT_LE(layout.widthPx, c.maxWidthExpected) << c.name;
  }
}

TEST(DialogLayout, ButtonsStillFitWhenTheLimitIsNarrowerThanThem) {
  DialogLayout layout = layoutDialog("C", "x", MessageBoxButtons::YesNo, fixedFont(), 50);
  const DialogButton& no = layout.buttons[1];
  EXPECT_GE(layout.buttons[0].box.x, 0);
  EXPECT_LE(no.box.x + no.box.width, layout.widthPx);
}

TEST(DialogInput, KeysGiveTheirAnswersPerButtonSet) {
  using A = MessageBoxAnswer;
  struct Case {
    DialogKey key;
    MessageBoxButtons buttons;
    std::optional<A> answer;
  } cases[] = {
      {DialogKey::Y, MessageBoxButtons::YesNo, A::Yes},
      {DialogKey::N, MessageBoxButtons::YesNo, A::No},
      {DialogKey::Enter, MessageBoxButtons::YesNo, A::Yes},
      {DialogKey::Escape, MessageBoxButtons::YesNo, A::No},
      {DialogKey::Other, MessageBoxButtons::YesNo, std::nullopt},
      {DialogKey::Y, MessageBoxButtons::Ok, std::nullopt},
      {DialogKey::N, MessageBoxButtons::Ok, std::nullopt},
      {DialogKey::Enter, MessageBoxButtons::Ok, A::Ok},
      {DialogKey::Escape, MessageBoxButtons::Ok, A::Ok},
      {DialogKey::Other, MessageBoxButtons::Ok, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(answerForKey(c.key, c.buttons), c.answer)
        << static_cast<int>(c.key) << " " << static_cast<int>(c.buttons);
  }
}

TEST(DialogInput, AClickAnswersOnlyInsideAButton) {
  DialogLayout layout = layoutDialog("C", "text", MessageBoxButtons::YesNo, fixedFont(), 1000);
  const DialogRect& yes = layout.buttons[0].box;
  const DialogRect& no = layout.buttons[1].box;
  struct Case {
    const char* name;
    int x, y;
    std::optional<MessageBoxAnswer> answer;
  } cases[] = {
      {"centre of Yes", yes.x + yes.width / 2, yes.y + yes.height / 2, MessageBoxAnswer::Yes},
      {"centre of No", no.x + no.width / 2, no.y + no.height / 2, MessageBoxAnswer::No},
      {"top-left pixel of Yes", yes.x, yes.y, MessageBoxAnswer::Yes},
      {"bottom-right pixel of No", no.x + no.width - 1, no.y + no.height - 1, MessageBoxAnswer::No},
      {"just left of Yes", yes.x - 1, yes.y + 1, std::nullopt},
      {"just below No", no.x + 1, no.y + no.height, std::nullopt},
      {"between the buttons", yes.x + yes.width, yes.y + 1, std::nullopt},
      {"on the text", layout.textX + 1, layout.firstBaselineY - 1, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(answerAtPoint(layout, c.x, c.y), c.answer) << c.name;
}

TEST(DialogInput, TheCloseBoxAnswersOkButCannotDecideYesOrNo) {
  EXPECT_EQ(answerForClose(MessageBoxButtons::Ok), MessageBoxAnswer::Ok);
  EXPECT_EQ(answerForClose(MessageBoxButtons::YesNo), std::nullopt);
}

}  // namespace
}  // namespace rt
