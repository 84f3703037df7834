// The message-box dialog apart from any window system: where its caption, text lines and
// buttons go, which key gives which answer, and which button a click lands on.
//
// The X11 dialog (message_box_x11.cpp) measures text with its font, asks layoutDialog for the
// positions, draws what the layout says and turns keys and clicks into answers with the
// functions below. Keeping these rules here lets them be tested without a display. All
// functions are pure and callable from any thread.
#pragma once

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "runtime/platform/message_box.h"

namespace rt {

struct DialogRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool contains(int px, int py) const {
    return px >= x && px < x + width && py >= y && py < y + height;
  }
};

struct DialogButton {
  MessageBoxAnswer answer = MessageBoxAnswer::Ok;
  std::string_view label;
  DialogRect box;
  bool isDefault = false;  // the button Enter chooses; drawn with a second border
};

// What the layout needs to know of the font: line spacing, baseline offset and text width.
struct DialogFontMetrics {
  int ascentPx = 0;
  int descentPx = 0;
  std::function<int(std::string_view)> textWidthPx;
};

struct DialogLayout {
  int widthPx = 0, heightPx = 0;
  int captionX = 0, captionBaselineY = 0;
  int separatorY = 0;  // a line under the caption, from captionX to widthPx - captionX
  std::vector<std::string_view> lines;  // views into the text given to layoutDialog
  int textX = 0, firstBaselineY = 0, lineHeightPx = 0;
  std::vector<DialogButton> buttons;  // left to right
};

// The text's lines: split at each line feed; a carriage return just before a line feed is
// dropped. An empty text is one empty line. The views point into `text`.
std::vector<std::string_view> splitMessageLines(std::string_view text);

// Places the caption, the text lines and the buttons (Yes and No, or OK) in a dialog wide
// enough for the widest of them, but never wider than `maxWidthPx` (longer lines are cut off
// at the edge). The layout's lines point into `text`, which must outlive it.
DialogLayout layoutDialog(std::string_view caption, std::string_view text,
                          MessageBoxButtons buttons, const DialogFontMetrics& font, int maxWidthPx);

// The keys the dialog acts on; every other key is Other.
enum class DialogKey { Other, Y, N, Enter, Escape };

// The answer a key gives, or none when the dialog ignores it: Y and N choose Yes and No,
// Enter the default button (Yes or OK), Escape No, or OK in a dialog that has only OK.
std::optional<MessageBoxAnswer> answerForKey(DialogKey key, MessageBoxButtons buttons);

// The answer of the button under (x, y) in dialog coordinates, or none.
std::optional<MessageBoxAnswer> answerAtPoint(const DialogLayout& layout, int x, int y);

// The answer when the window manager's close box is used: OK for an OK dialog; none for a
// Yes/No dialog, which needs a real choice.
std::optional<MessageBoxAnswer> answerForClose(MessageBoxButtons buttons);

}  // namespace rt
