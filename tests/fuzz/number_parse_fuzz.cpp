// Fuzzes parseNumber: any bytes must scan without reading outside the text, and the result must
// agree with what the text's shape guarantees.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "runtime/core/errors.h"
#include "runtime/core/number_parse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  rt::pendingError = 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const long double value = rt::parseNumber(text);
  const uint32_t error = rt::pendingError.load();

  // Only overflow can be raised, and it always comes with a zero result.
  if (error != 0 && (error != 6 || value != 0)) std::abort();
  if (std::isnan(value)) std::abort();

  // A byte that ends every scan, appended, cannot change the value.
  rt::pendingError = 0;
  if (rt::parseNumber(text + ",") != value) std::abort();

  // Plain digits are an integer: the C library's correctly rounded reading must agree.
  const bool allDigits = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
  if (allDigits && rt::parseNumber(text) != std::strtold(text.c_str(), nullptr)) std::abort();
  rt::pendingError = 0;
  return 0;
}
