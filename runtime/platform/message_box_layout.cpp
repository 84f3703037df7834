#include "runtime/platform/message_box_layout.h"

#include <algorithm>

namespace rt {
namespace {

constexpr int kMarginPx = 12;         // around everything
constexpr int kSectionGapPx = 8;      // between the caption's line and the text
constexpr int kButtonGapPx = 12;      // between the text and the buttons, and between buttons
constexpr int kLineSpacingPx = 2;     // extra space between text lines
constexpr int kButtonPaddingPx = 12;  // label to button edge, horizontally and in total height
constexpr int kMinButtonWidthPx = 72;
constexpr int kMinDialogWidthPx = 200;

struct ButtonSpec {
  MessageBoxAnswer answer;
  std::string_view label;
  bool isDefault;
};

std::vector<ButtonSpec> buttonSpecs(MessageBoxButtons buttons) {
  if (buttons == MessageBoxButtons::YesNo) {
    return {{MessageBoxAnswer::Yes, "Yes", true}, {MessageBoxAnswer::No, "No", false}};
  }
  return {{MessageBoxAnswer::Ok, "OK", true}};
}

}  // namespace

std::vector<std::string_view> splitMessageLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (;;) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    size_t length = end - start;
    if (length > 0 && text[end - 1] == '\r') --length;
    lines.push_back(text.substr(start, length));
    start = end + 1;
  }
}

DialogLayout layoutDialog(std::string_view caption, std::string_view text,
                          MessageBoxButtons buttons, const DialogFontMetrics& font,
                          int maxWidthPx) {
  DialogLayout layout;
  const int glyphHeight = font.ascentPx + font.descentPx;
  layout.lineHeightPx = glyphHeight + kLineSpacingPx;
  layout.lines = splitMessageLines(text);

  int contentWidth = font.textWidthPx(caption);
  for (std::string_view line : layout.lines)
    contentWidth = std::max(contentWidth, font.textWidthPx(line));

  const int buttonHeight = glyphHeight + kButtonPaddingPx;
  int rowWidth = 0;
  for (const ButtonSpec& kind : buttonSpecs(buttons)) {
    int width = std::max(kMinButtonWidthPx, font.textWidthPx(kind.label) + 2 * kButtonPaddingPx);
    if (rowWidth > 0) rowWidth += kButtonGapPx;
    layout.buttons.push_back(
        {kind.answer, kind.label, {rowWidth, 0, width, buttonHeight}, kind.isDefault});
    rowWidth += width;
  }

  // Wide enough for the widest text, but within the limit; the buttons always fit.
  int width = std::max(contentWidth + 2 * kMarginPx, kMinDialogWidthPx);
  width = std::min(width, maxWidthPx);
  layout.widthPx = std::max(width, rowWidth + 2 * kMarginPx);

  layout.captionX = kMarginPx;
  layout.captionBaselineY = kMarginPx + font.ascentPx;
  layout.separatorY = kMarginPx + layout.lineHeightPx + kSectionGapPx / 2;
  layout.textX = kMarginPx;
  layout.firstBaselineY = layout.separatorY + kSectionGapPx + font.ascentPx;

  const int textBottom = layout.separatorY + kSectionGapPx +
                         static_cast<int>(layout.lines.size()) * layout.lineHeightPx;
  const int buttonTop = textBottom + kButtonGapPx;
  const int rowLeft = (layout.widthPx - rowWidth) / 2;
  for (DialogButton& button : layout.buttons) {
    button.box.x += rowLeft;
    button.box.y = buttonTop;
  }
  layout.heightPx = buttonTop + buttonHeight + kMarginPx;
  return layout;
}

std::optional<MessageBoxAnswer> answerForKey(DialogKey key, MessageBoxButtons buttons) {
  const bool yesNo = buttons == MessageBoxButtons::YesNo;
  switch (key) {
    case DialogKey::Y: return yesNo ? std::optional(MessageBoxAnswer::Yes) : std::nullopt;
    case DialogKey::N: return yesNo ? std::optional(MessageBoxAnswer::No) : std::nullopt;
    case DialogKey::Enter: return yesNo ? MessageBoxAnswer::Yes : MessageBoxAnswer::Ok;
    case DialogKey::Escape: return yesNo ? MessageBoxAnswer::No : MessageBoxAnswer::Ok;
    case DialogKey::Other: break;
  }
  return std::nullopt;
}

std::optional<MessageBoxAnswer> answerAtPoint(const DialogLayout& layout, int x, int y) {
  for (const DialogButton& button : layout.buttons) {
    if (button.box.contains(x, y)) return button.answer;
  }
  return std::nullopt;
}

std::optional<MessageBoxAnswer> answerForClose(MessageBoxButtons buttons) {
  if (buttons == MessageBoxButtons::Ok) return MessageBoxAnswer::Ok;
  return std::nullopt;
}

}  // namespace rt
