// The part of the menu bar that every platform shares: the caption tokens.
//
// The application's item record is 32 bits wide, so it cannot carry the address of a caption
// in a 64-bit process. menuTextAddress hands out a small number per text instead (1 and up, the
// same number for the same text), and each platform's insertMenuItem turns it back into the
// text with menuText.
#include "runtime/display/menu_bar.h"

#include <mutex>
#include <vector>

namespace rt {
namespace {

struct MenuTexts {
  std::mutex mutex;
  std::vector<const char*> texts;  // token - 1 -> caption text
};

MenuTexts& menuTexts() {
  static MenuTexts& texts = *new MenuTexts;  // used until the process ends
  return texts;
}

}  // namespace

uint32_t menuTextAddress(const char* text) {
  MenuTexts& m = menuTexts();
  std::lock_guard lock(m.mutex);
  for (size_t i = 0; i < m.texts.size(); ++i) {
    if (m.texts[i] == text) return static_cast<uint32_t>(i + 1);
  }
  m.texts.push_back(text);
  return static_cast<uint32_t>(m.texts.size());
}

const char* menuText(uint32_t token) {
  MenuTexts& m = menuTexts();
  std::lock_guard lock(m.mutex);
  if (token < 1 || token > m.texts.size()) return nullptr;
  return m.texts[token - 1];
}

void forgetMenuTexts() {
  MenuTexts& m = menuTexts();
  std::lock_guard lock(m.mutex);
  m.texts.clear();
}

}  // namespace rt
