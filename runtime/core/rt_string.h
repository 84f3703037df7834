// RtString: the runtime's byte-string descriptor.
//
// A descriptor points at a run of bytes (not zero-terminated, any byte value allowed) with an
// explicit length. Texts of owned strings live in the string heap and may move whenever the
// engine allocates, so code keeps descriptors, never raw text pointers, across allocations.
// The string engine (string_engine.h) creates, assigns, cuts and frees descriptors; code that
// only reads a value (printing, file names) uses `text` and `length` directly.
#pragma once

#include <cstdint>
#include <string_view>

namespace rt {

struct RtString {
  char* text = nullptr;  // first byte of the value; not terminated
  int32_t length = 0;    // number of bytes, 0 or more
  bool inLowMemory = false;        // text lives in the legacy low-memory string area
  uint8_t* lowMemoryRecord = nullptr;  // 4-byte (length, offset) record for low-memory strings
  uint32_t lowMemoryRecordOffset = 0;
  int32_t areaIndex = 0;        // this descriptor's slot in the heap list or low-memory list
  bool temporary = false;       // listed on the StringTempStack
  int32_t temporaryIndex = 0;   // its slot on the StringTempStack; 0 when not temporary
  bool fixed = false;           // fixed-length storage not owned by the descriptor
  bool readOnly = false;        // literal text not owned by the descriptor
  void* recordBufferLink = nullptr;  // file record buffers; unused in this system

  std::string_view view() const { return {text, static_cast<size_t>(length > 0 ? length : 0)}; }
};

// A read-only descriptor over literal text, for runtime code that prints or passes a constant
// without going through the string engine. It is not registered anywhere and is never freed.
inline RtString literalString(std::string_view text) {
  RtString s;
  s.text = const_cast<char*>(text.data());
  s.length = static_cast<int32_t>(text.size());
  s.readOnly = true;
  return s;
}

}  // namespace rt
