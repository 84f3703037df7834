#include "runtime/platform/message_box.h"

#include <atomic>

namespace rt {
namespace {
std::atomic<MessageBoxPresenter*> replacement{nullptr};
}

MessageBoxAnswer showMessageBox(std::string_view caption, std::string_view text,
                                MessageBoxButtons buttons) {
  MessageBoxPresenter* presenter = replacement.load(std::memory_order_acquire);
  if (presenter == nullptr) presenter = &platformMessageBox();
  return presenter->show(caption, text, buttons);
}

void setMessageBoxPresenter(MessageBoxPresenter* presenter) {
  replacement.store(presenter, std::memory_order_release);
}

}  // namespace rt
