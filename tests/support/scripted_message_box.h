// A message-box presenter for unit tests: records every message and answers from a script.
#pragma once

#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "runtime/platform/message_box.h"

namespace rt::testing {

struct ShownMessage {
  std::string caption;
  std::string text;
  MessageBoxButtons buttons;
};

class ScriptedMessageBox final : public MessageBoxPresenter {
 public:
  ScriptedMessageBox() { setMessageBoxPresenter(this); }
  ~ScriptedMessageBox() override { setMessageBoxPresenter(nullptr); }

  // Answers to give, in order; Yes once the script is used up.
  std::deque<MessageBoxAnswer> answers;
  std::vector<ShownMessage> shown;
  std::mutex mutex;

  // Messages shown so far; safe while another thread shows messages.
  size_t shownCount() {
    std::lock_guard lock(mutex);
    return shown.size();
  }

  MessageBoxAnswer show(std::string_view caption, std::string_view text,
                        MessageBoxButtons buttons) override {
    std::lock_guard lock(mutex);
    shown.push_back({std::string(caption), std::string(text), buttons});
    // Also to stderr, so that death tests can match what a dying process showed.
    std::fprintf(stderr, "[%.*s|%.*s]\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
    if (answers.empty()) return MessageBoxAnswer::Yes;
    MessageBoxAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace rt::testing
