// Fuzzes the feed's state file reader: any bytes give a state or nothing, never a crash, and a
// state read back from what was written of it is the same state.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "feed/resume_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<feed::ResumeState> state = feed::parseResumeState(bytes);
  if (!state) return 0;
  const std::string written = feed::formatResumeState(*state);
  const std::optional<feed::ResumeState> again = feed::parseResumeState(written);
  if (!again || feed::formatResumeState(*again) != written) std::abort();
  return 0;
}
