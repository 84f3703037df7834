// Inside the string engine: the containers behind string_engine.h and the primitives the
// operations are built from. Only the engine's own sources include this header.
//
// Empty list and stack slots hold nullptr (a freed slot). The StringTempStack's slot 0 holds a
// sentinel that is never null, so the loop that lowers the top over freed slots stops there.
// A descriptor on the free stack has length -1, which no live descriptor ever has.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "runtime/core/rt_string.h"
#include "runtime/core/string_engine.h"

namespace rt::strings {

// The gap left after every new heap text; also the largest gap compaction leaves unmoved.
inline constexpr size_t kGapBytes = 32;

struct EngineState {
  StringEngineSizes sizes;

  // Descriptor pool: blocks that never move, carved in order; freed descriptors on a stack.
  std::vector<RtString*> descriptorBlocks;
  int32_t carvedInLastBlock = 0;
  RtString** freeStack = nullptr;
  int32_t freeCount = 0;
  int32_t freeRoom = 0;

  // StringHeap and the heap list (address order).
  char* heap = nullptr;
  size_t heapSize = 0;
  size_t fillMark = 0;
  RtString** heapList = nullptr;
  int32_t heapCount = 0;
  int32_t heapRoom = 0;

  // StringTempStack; `tempTop` is the next free slot.
  RtString** tempStack = nullptr;
  int32_t tempTop = 1;
  int32_t tempRoom = 0;

  // Static storage: the current bump block; earlier blocks stay allocated.
  std::vector<char*> staticBlocks;
  char* staticStart = nullptr;
  char* staticCurrent = nullptr;
  char* staticEnd = nullptr;
  size_t staticBlockSize = 0;

  RtString* permanentEmpty = nullptr;
  RtString* permanentBlank = nullptr;

  uint64_t compactions = 0;
  uint64_t growths = 0;
  int32_t failingError = 0;  // test hook: allocations tagged with this number fail
};

extern EngineState& engine;

// realloc that honours the test hook; null on failure.
void* reallocateFor(int32_t errorNumber, void* block, size_t bytes);
// Raises the critical allocation error `errorNumber`; never returns.
[[noreturn]] void failAllocation(int32_t errorNumber);

// A zero-filled descriptor from the pool / back to the pool.
RtString* takeDescriptor();
void returnDescriptor(RtString* s);

inline bool isFreedDescriptor(const RtString* s) { return s->length < 0; }
inline bool isPermanent(const RtString* s) {
  return s == engine.permanentEmpty || s == engine.permanentBlank;
}
// True for a string whose text lives in the StringHeap and belongs to it.
inline bool ownsHeapText(const RtString* s) { return !s->fixed && !s->readOnly && !s->inLowMemory; }

// Lists `s` on the StringTempStack.
void pushTemporary(RtString* s);
// Unlists the temporary `s` without freeing it; the top drops by one when it was the top slot.
void unlistTemporary(RtString* s);

// Packs the heap and grows it so that `request` more bytes fit after the fill mark.
void compactHeap(size_t request);
// Appends `s` as the last heap-list entry and sets its area index (tidies or grows the list).
void appendToHeapList(RtString* s);
// Drops the freed slots from the heap list, renumbering the live strings' area indices.
void squeezeHeapList();
// Marks the heap-list slot of `s` freed; the text's bytes are not touched.
void clearHeapSlot(RtString* s);
// Frees the heap text of `s`: clears its slot, trims freed slots off the list's end and moves
// the fill mark to 32 bytes past the last live text.
void releaseHeapText(RtString* s);

}  // namespace rt::strings
