// assignString: storing a value into a variable or a fixed-length string.
//
// Three ways, cheapest first: a temporary source hands its heap text to the target (no copy);
// a value that fits the target's current storage (its length, or the room up to the next live
// heap text) is copied in place; anything else relocates the target to the end of the heap.
#include <algorithm>
#include <cstring>

#include "runtime/core/errors.h"
#include "runtime/core/string_engine.h"
#include "runtime/core/string_storage.h"

namespace rt {

using namespace strings;

namespace {

constexpr int32_t kFreedSlotsBeforeSqueeze = 64;

void copyBytes(char* to, const char* from, size_t count) {
  if (count > 0) std::memmove(to, from, count);
}

// A fixed target keeps its length: cut the value, or pad it with blanks.
void storeIntoFixed(RtString* target, const RtString* source) {
  const int32_t copied = std::min(source->length, target->length);
  copyBytes(target->text, source->text, static_cast<size_t>(copied));
  if (target->length > copied)
    std::memset(target->text + copied, ' ', static_cast<size_t>(target->length - copied));
}

// The target takes over the temporary's text and its heap-list slot; the temporary's
// descriptor goes back to the pool.
void stealText(RtString* target, RtString* source) {
  if (ownsHeapText(target)) clearHeapSlot(target);
  target->readOnly = false;
  target->text = source->text;
  target->length = source->length;
  target->areaIndex = source->areaIndex;
  engine.heapList[target->areaIndex] = target;
  unlistTemporary(source);
  returnDescriptor(source);
}

// Moves the target to a fresh place at the fill mark (no gap after it) and copies the value.
void relocate(RtString* target, const RtString* source, bool hadHeapSlot) {
  if (hadHeapSlot) clearHeapSlot(target);
  const auto length = static_cast<size_t>(source->length);
  if (engine.fillMark + length > engine.heapSize) compactHeap(length);
  appendToHeapList(target);
  target->text = engine.heap + engine.fillMark;
  engine.fillMark += length;
  copyBytes(target->text, source->text, length);  // source text read after any compaction
  target->length = source->length;
}

// Writes the value over the target's own text, which has room for it.
void storeInPlace(RtString* target, const RtString* source) {
  copyBytes(target->text, source->text, static_cast<size_t>(source->length));
  target->length = source->length;
}

void storeIntoVariable(RtString* target, const RtString* source) {
  if (!ownsHeapText(target)) {
    // A read-only descriptor used as a variable owns no storage to write over: give it some.
    target->readOnly = false;
    relocate(target, source, false);
    return;
  }
  if (source->length <= target->length) {
    storeInPlace(target, source);  // the target keeps its room
    return;
  }
  const size_t start = static_cast<size_t>(target->text - engine.heap);
  const size_t newEnd = start + static_cast<size_t>(source->length);
  const int32_t index = target->areaIndex;

  if (index == engine.heapCount - 1) {
    // Last text in the heap: grow into the space after it when the block is large enough.
    if (newEnd <= engine.heapSize) {
      storeInPlace(target, source);
      engine.fillMark = newEnd;
    } else {
      relocate(target, source, true);
    }
    return;
  }

  // A heap temporary source never gets here (it is stolen), so the next live text is a real
  // neighbour that the value must not run into.
  const RtString* next = nullptr;
  int32_t freedSlots = 0;
  for (int32_t i = index + 1; i < engine.heapCount && next == nullptr; ++i) {
    next = engine.heapList[i];
    freedSlots += next == nullptr;
  }
  // Variables that keep moving leave freed slots behind them; squeezing them out once a search
  // has to step over many keeps every later search short.
  if (freedSlots > kFreedSlotsBeforeSqueeze) squeezeHeapList();
  if (next != nullptr) {
    if (next->text < engine.heap + newEnd) {
      relocate(target, source, true);
    } else {
      storeInPlace(target, source);
    }
    return;
  }
  // Only freed slots follow: the target becomes the last text.
  engine.heapCount = target->areaIndex + 1;
  if (newEnd <= engine.heapSize) {
    storeInPlace(target, source);
    engine.fillMark = newEnd;
  } else {
    relocate(target, source, true);
  }
}

}  // namespace

RtString* assignString(RtString* target, RtString* source) {
  if (errorIsPending()) return target;
  if (target == source || isPermanent(target)) return target;
  if (target->fixed) {
    storeIntoFixed(target, source);
  } else if (source->temporary && ownsHeapText(source)) {
    stealText(target, source);
    return target;
  } else {
    storeIntoVariable(target, source);
  }
  if (source->temporary) freeTempString(source);
  return target;
}

}  // namespace rt
