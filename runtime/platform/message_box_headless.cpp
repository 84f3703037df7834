// Message boxes where no dialog can be shown: the text goes to standard error and the answer is
// Failed, which callers treat as "Yes" (carry on).
#include <cstdio>

#include "runtime/platform/message_box.h"

namespace rt {
namespace {

class HeadlessMessageBox final : public MessageBoxPresenter {
 public:
  MessageBoxAnswer show(std::string_view caption, std::string_view text,
                        MessageBoxButtons) override {
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
    std::fflush(stderr);
    return MessageBoxAnswer::Failed;
  }
};

}  // namespace

MessageBoxPresenter& headlessMessageBox() {
  static HeadlessMessageBox presenter;
  return presenter;
}

}  // namespace rt
