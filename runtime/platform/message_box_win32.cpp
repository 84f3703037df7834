// Message boxes on Windows: MessageBoxA with no owner window and MB_SYSTEMMODAL, so the box
// stays above every window; it works from any thread, before or after the main window exists.
// When the box cannot be shown (no desktop to show it on, as under Wine without a display), the
// message goes to standard error as the headless presenter writes it, and the answer is Failed.
#include <windows.h>

#include <string>

#include "runtime/platform/message_box.h"

namespace rt {
namespace {

class Win32MessageBox final : public MessageBoxPresenter {
 public:
  MessageBoxAnswer show(std::string_view caption, std::string_view text,
                        MessageBoxButtons buttons) override {
    // MessageBoxA takes zero-terminated texts; a zero byte inside ends the text there.
    const std::string captionText(caption);
    const std::string messageText(text);
    const UINT style =
        MB_SYSTEMMODAL | (buttons == MessageBoxButtons::YesNo ? MB_YESNO : MB_OK);
    switch (MessageBoxA(nullptr, messageText.c_str(), captionText.c_str(), style)) {
      case IDOK: return MessageBoxAnswer::Ok;
      case IDYES: return MessageBoxAnswer::Yes;
      case IDNO: return MessageBoxAnswer::No;
      default:
        // 0 when the box could not be shown (Wine without a display says -1).
        return headlessMessageBox().show(caption, text, buttons);
    }
  }
};

}  // namespace

MessageBoxPresenter& platformMessageBox() {
  static Win32MessageBox presenter;
  return presenter;
}

}  // namespace rt
