// The x87 precision of a thread that does the application's arithmetic. Windows x64 starts
// threads with the precision control at 53 bits (control word 0x027F); Wine starts them at 64
// bits, so each test first sets the Windows start value itself.
#include "runtime/platform/x87_precision.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

namespace rt {
namespace {

uint16_t readControlWord() {
  uint16_t control = 0;
  asm volatile("fnstcw %0" : "=m"(control));
  return control;
}

void writeControlWord(uint16_t control) { asm volatile("fldcw %0" : : "m"(control)); }

// 1 + 2^-60 is exact with a 64-bit mantissa and rounds to 1 with a 53-bit one.
bool longDoubleKeepsSixtyFourBits() {
  volatile long double one = 1.0L;
  volatile long double tiny = 0x1p-60L;
  volatile long double sum = one + tiny;
  return sum != one;
}

TEST(X87Precision, ANewThreadGetsSixtyFourBitsAndKeepsRoundingAndMasks) {
  uint16_t before = 0, after = 0;
  bool wideBefore = true, wideAfter = false;
  std::thread([&] {
    writeControlWord(0x027F);  // as a thread starts on Windows x64
    before = readControlWord();
    wideBefore = longDoubleKeepsSixtyFourBits();
    useExtendedPrecision();
    after = readControlWord();
    wideAfter = longDoubleKeepsSixtyFourBits();
  }).join();
  EXPECT_EQ(before, 0x027F);
  EXPECT_FALSE(wideBefore) << "at 53 bits the sum must round";
  EXPECT_EQ(after, 0x037F) << std::hex << after;
  EXPECT_TRUE(wideAfter);
}

TEST(X87Precision, OnlyThePrecisionBitsChange) {
  uint16_t after = 0;
  std::thread([&] {
    // Single precision, rounding towards zero, the zero-divide exception unmasked.
    writeControlWord(0x0C7B);
    useExtendedPrecision();
    after = readControlWord();
    writeControlWord(0x037F);  // masked again before the thread ends
  }).join();
  EXPECT_EQ(after, 0x0F7B) << std::hex << after;
}

}  // namespace
}  // namespace rt
