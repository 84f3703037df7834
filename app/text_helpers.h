// Text in the plotter's own terms: literal temporaries, items printed at the cursor or at a
// position, and the foreground colour, so that each text step reads as one call.
#pragma once

#include <cstdint>

#include "runtime/core/rt_string.h"

namespace app {

// A temporary over literal text.
rt::RtString* text(const char* literal);

// Prints one item at the cursor: the fit rule, then the text without a line end.
void printItem(rt::RtString* item);

// Moves the cursor to (row, column) and prints one item there.
void printAt(int32_t row, int32_t column, rt::RtString* item);

// Sets the foreground colour only.
void setForeground(int32_t color);

}  // namespace app
