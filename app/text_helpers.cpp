#include "app/text_helpers.h"

#include "runtime/core/string_engine.h"
#include "runtime/screen/palette.h"
#include "runtime/screen/text_output.h"

namespace app {

rt::RtString* text(const char* literal) { return rt::newStringFromText(literal); }

void printItem(rt::RtString* item) {
  rt::fitToLine(*item);
  rt::printString(*item, 0);
}

void printAt(int32_t row, int32_t column, rt::RtString* item) {
  rt::locateCursor(row, column, 0, 0, 0, rt::kLocateRow | rt::kLocateColumn);
  printItem(item);
}

void setForeground(int32_t color) { rt::setColor(color, 0, 0, 1); }

}  // namespace app
