// The string engine's containers: descriptor pool, StringHeap with its heap list, the
// StringTempStack, static storage, start-up, and the invariant check used by the tests.
#include "runtime/core/string_storage.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

#include "runtime/core/errors.h"

namespace rt {
namespace strings {

// Never destroyed: strings live until the process ends, and a destructor at exit would drop
// the block lists while the blocks are still in use.
EngineState& engine = *new EngineState;

namespace {

// Slot 0 of the StringTempStack: never null, so lowering the top over freed slots stops at 1.
RtString tempStackSentinel;

constexpr size_t kStaticAlignment = 16;

size_t roundUpToStaticAlignment(size_t size) {
  return (size + kStaticAlignment - 1) & ~(kStaticAlignment - 1);
}

// Doubles a pointer array of `room` slots; raises `errorNumber` when that fails.
RtString** doubleSlots(RtString** slots, int32_t& room, int32_t errorNumber) {
  const int32_t newRoom = room * 2;
  void* grown = reallocateFor(errorNumber, slots, sizeof(RtString*) * static_cast<size_t>(newRoom));
  if (grown == nullptr) failAllocation(errorNumber);
  room = newRoom;
  return static_cast<RtString**>(grown);
}

RtString** allocateSlots(int32_t room, int32_t errorNumber) {
  void* block = reallocateFor(errorNumber, nullptr, sizeof(RtString*) * static_cast<size_t>(room));
  if (block == nullptr) failAllocation(errorNumber);
  return static_cast<RtString**>(block);
}

// Starts a fresh static block of `blockSize` bytes; the previous block stays allocated.
void startStaticBlock(size_t blockSize) {
  char* block = static_cast<char*>(reallocateFor(504, nullptr, blockSize));
  if (block == nullptr) failAllocation(504);
  std::memset(block, 0, blockSize);
  engine.staticBlocks.push_back(block);
  engine.staticStart = block;
  engine.staticCurrent = block;
  engine.staticEnd = block + blockSize;
  engine.staticBlockSize = blockSize;
}

void releaseEverything() {
  for (RtString* block : engine.descriptorBlocks) std::free(block);
  for (char* block : engine.staticBlocks) std::free(block);
  std::free(engine.freeStack);
  std::free(engine.heap);
  std::free(engine.heapList);
  std::free(engine.tempStack);
  engine = EngineState{};
}

}  // namespace

void* reallocateFor(int32_t errorNumber, void* block, size_t bytes) {
  if (engine.failingError != 0 && engine.failingError == errorNumber) return nullptr;
  return std::realloc(block, bytes);
}

void failAllocation(int32_t errorNumber) {
  raiseError(errorNumber);  // critical: shows its message and ends the process
  std::abort();             // not reached
}

// ---- Descriptor pool ----------------------------------------------------------------------------

RtString* takeDescriptor() {
  RtString* s;
  if (engine.freeCount > 0) {
    s = engine.freeStack[--engine.freeCount];
  } else {
    const int32_t blockSize = engine.sizes.descriptorBlock;
    if (engine.descriptorBlocks.empty() || engine.carvedInLastBlock == blockSize) {
      void* block = reallocateFor(508, nullptr, sizeof(RtString) * static_cast<size_t>(blockSize));
      if (block == nullptr) failAllocation(508);
      RtString* first = static_cast<RtString*>(block);
      std::uninitialized_value_construct_n(first, blockSize);
      engine.descriptorBlocks.push_back(first);
      engine.carvedInLastBlock = 0;
    }
    s = engine.descriptorBlocks.back() + engine.carvedInLastBlock++;
  }
  *s = RtString{};
  return s;
}

void returnDescriptor(RtString* s) {
  if (engine.freeCount == engine.freeRoom)
    engine.freeStack = doubleSlots(engine.freeStack, engine.freeRoom, 508);
  *s = RtString{};
  s->length = -1;  // marks it free, so a second free is recognised and ignored
  engine.freeStack[engine.freeCount++] = s;
}

// ---- StringTempStack ----------------------------------------------------------------------------

void pushTemporary(RtString* s) {
  if (engine.tempTop == engine.tempRoom)
    engine.tempStack = doubleSlots(engine.tempStack, engine.tempRoom, 511);
  engine.tempStack[engine.tempTop] = s;
  s->temporary = true;
  s->temporaryIndex = engine.tempTop;
  ++engine.tempTop;
}

void unlistTemporary(RtString* s) {
  const int32_t index = s->temporaryIndex;
  engine.tempStack[index] = nullptr;
  if (index == engine.tempTop - 1) --engine.tempTop;
  s->temporary = false;
  s->temporaryIndex = 0;
}

// ---- StringHeap and heap list -------------------------------------------------------------------

void compactHeap(size_t request) {
  ++engine.compactions;
  // Slide live texts down over freed space; gaps of 32 bytes or less stay, to avoid small moves.
  char* packingPoint = engine.heap;
  for (int32_t i = 0; i < engine.heapCount; ++i) {
    RtString* s = engine.heapList[i];
    if (s == nullptr) continue;
    const auto length = static_cast<size_t>(s->length);
    if (s->text - packingPoint > static_cast<ptrdiff_t>(kGapBytes)) {
      if (length > 0) std::memmove(packingPoint, s->text, length);
      s->text = packingPoint;
    }
    packingPoint = s->text + length;
  }
  engine.fillMark = static_cast<size_t>(packingPoint - engine.heap);
  if (request + 2 * engine.fillMark + kGapBytes < engine.heapSize) return;

  // Still short: grow to request + twice the old size, then shift every live text pointer by
  // the block's displacement (computed on addresses as integers; the old block is gone).
  const size_t newSize = request + 2 * engine.heapSize;
  const auto oldBase = reinterpret_cast<uintptr_t>(engine.heap);
  char* grown = static_cast<char*>(reallocateFor(512, engine.heap, newSize));
  if (grown == nullptr) failAllocation(512);
  ++engine.growths;
  engine.heap = grown;
  engine.heapSize = newSize;
  for (int32_t i = 0; i < engine.heapCount; ++i) {
    RtString* s = engine.heapList[i];
    if (s != nullptr) s->text = grown + (reinterpret_cast<uintptr_t>(s->text) - oldBase);
  }
}

void squeezeHeapList() {
  int32_t kept = 0;
  for (int32_t i = 0; i < engine.heapCount; ++i) {
    RtString* live = engine.heapList[i];
    if (live == nullptr) continue;
    live->areaIndex = kept;
    engine.heapList[kept++] = live;
  }
  engine.heapCount = kept;
}

void appendToHeapList(RtString* s) {
  if (engine.heapCount == engine.heapRoom) {
    // Full: squeeze out freed slots first; double only when that leaves the list half full.
    squeezeHeapList();
    if (engine.heapCount >= engine.heapRoom / 2)
      engine.heapList = doubleSlots(engine.heapList, engine.heapRoom, 510);
  }
  engine.heapList[engine.heapCount] = s;
  s->areaIndex = engine.heapCount;
  ++engine.heapCount;
}

void clearHeapSlot(RtString* s) { engine.heapList[s->areaIndex] = nullptr; }

void releaseHeapText(RtString* s) {
  clearHeapSlot(s);
  while (engine.heapCount > 0 && engine.heapList[engine.heapCount - 1] == nullptr)
    --engine.heapCount;
  if (engine.heapCount == 0) {
    engine.fillMark = 0;
    return;
  }
  const RtString* last = engine.heapList[engine.heapCount - 1];
  const size_t end =
      static_cast<size_t>(last->text - engine.heap) + static_cast<size_t>(last->length) + kGapBytes;
  engine.fillMark = std::min(end, engine.heapSize);
}

}  // namespace strings

using namespace strings;

// ---- Public: creation and release ---------------------------------------------------------------

RtString* newString(int32_t length, bool temporary) {
  const size_t bytes = length > 0 ? static_cast<size_t>(length) : 0;
  if (engine.fillMark + bytes + kGapBytes > engine.heapSize) compactHeap(bytes + kGapBytes);
  RtString* s = takeDescriptor();
  s->text = engine.heap + engine.fillMark;
  s->length = static_cast<int32_t>(bytes);
  engine.fillMark += bytes + kGapBytes;
  appendToHeapList(s);
  if (temporary) pushTemporary(s);
  return s;
}

void freeTempString(RtString* s) {
  if (s == nullptr || isFreedDescriptor(s) || isPermanent(s)) return;
  if (s->temporary) {
    engine.tempStack[s->temporaryIndex] = nullptr;
    while (engine.tempStack[engine.tempTop - 1] == nullptr) --engine.tempTop;
  }
  if (ownsHeapText(s)) releaseHeapText(s);
  returnDescriptor(s);
}

int32_t tempStackTop() { return engine.tempTop; }

void releaseTempsAbove(int32_t mark) {
  mark = std::max(mark, 1);
  while (engine.tempTop > mark) {
    --engine.tempTop;
    RtString* s = engine.tempStack[engine.tempTop];
    if (s != nullptr) freeTempString(s);
  }
}

// ---- Public: static storage ---------------------------------------------------------------------

void* allocateStatic(size_t size) {
  size = roundUpToStaticAlignment(size);
  if (size >= static_cast<size_t>(engine.staticEnd - engine.staticCurrent)) {
    startStaticBlock(size + 2 * engine.staticBlockSize);
  }
  char* result = engine.staticCurrent;
  engine.staticCurrent += size;
  return result;
}

void resetStatic(void* mark) {
  char* m = static_cast<char*>(mark);
  const bool inside =
      std::less_equal<char*>()(engine.staticStart, m) && std::less<char*>()(m, engine.staticEnd);
  engine.staticCurrent = inside ? m : engine.staticStart;
}

// ---- Public: start-up and diagnostics -----------------------------------------------------------

void initStringEngine(const StringEngineSizes& sizes) {
  releaseEverything();
  StringEngineSizes s = sizes;
  s.descriptorBlock = std::max(s.descriptorBlock, 1);
  s.freeStackRoom = std::max(s.freeStackRoom, 1);
  s.heapListRoom = std::max(s.heapListRoom, 1);
  s.tempStackRoom = std::max(s.tempStackRoom, 2);
  s.staticBlockBytes = std::max(roundUpToStaticAlignment(s.staticBlockBytes), kStaticAlignment);
  engine.sizes = s;

  engine.heap = static_cast<char*>(reallocateFor(512, nullptr, std::max<size_t>(s.heapBytes, 1)));
  if (engine.heap == nullptr) failAllocation(512);
  engine.heapSize = s.heapBytes;
  engine.heapRoom = s.heapListRoom;
  engine.heapList = allocateSlots(engine.heapRoom, 510);
  engine.tempRoom = s.tempStackRoom;
  engine.tempStack = allocateSlots(engine.tempRoom, 511);
  engine.tempStack[0] = &tempStackSentinel;
  engine.tempTop = 1;
  engine.freeRoom = s.freeStackRoom;
  engine.freeStack = allocateSlots(engine.freeRoom, 508);
  startStaticBlock(s.staticBlockBytes);

  engine.permanentEmpty = newString(0, false);
  engine.permanentBlank = newString(1, false);
  engine.permanentBlank->text[0] = ' ';
}

RtString* permanentEmptyString() { return engine.permanentEmpty; }
RtString* permanentBlankString() { return engine.permanentBlank; }

void failStringAllocationsForTesting(int32_t errorNumber) { engine.failingError = errorNumber; }

StringHeapStats stringHeapStats() {
  StringHeapStats stats;
  stats.heapBytes = engine.heapSize;
  stats.fillMark = engine.fillMark;
  stats.compactions = engine.compactions;
  stats.growths = engine.growths;
  stats.heapListCount = engine.heapCount;
  stats.heapListRoom = engine.heapRoom;
  stats.tempStackRoom = engine.tempRoom;
  return stats;
}

namespace {

std::string describe(const char* what, int64_t index) {
  return std::string(what) + " (slot " + std::to_string(index) + ")";
}

// Every carved descriptor that is alive must be listed where its flags say it is.
std::string checkPoolDescriptors() {
  for (size_t b = 0; b < engine.descriptorBlocks.size(); ++b) {
    const bool lastBlock = b + 1 == engine.descriptorBlocks.size();
    const int32_t carved = lastBlock ? engine.carvedInLastBlock : engine.sizes.descriptorBlock;
    for (int32_t i = 0; i < carved; ++i) {
      const RtString* s = engine.descriptorBlocks[b] + i;
      if (isFreedDescriptor(s)) continue;
      if (s->temporary) {
        const int32_t t = s->temporaryIndex;
        if (t < 1 || t >= engine.tempTop || engine.tempStack[t] != s)
          return describe("temporary descriptor not listed at its temporary index", t);
      } else if (s->temporaryIndex != 0) {
        return describe("non-temporary descriptor with a temporary index", s->temporaryIndex);
      }
      if (ownsHeapText(s)) {
        const int32_t a = s->areaIndex;
        if (a < 0 || a >= engine.heapCount || engine.heapList[a] != s)
          return describe("heap descriptor not listed at its area index", a);
      }
    }
  }
  return {};
}

}  // namespace

std::string checkStringEngineInvariants() {
  if (engine.heap == nullptr) return "string engine not initialised";
  if (engine.tempStack[0] == nullptr) return "temp stack sentinel cleared";
  if (engine.tempTop < 1 || engine.tempTop > engine.tempRoom) return "temp stack top out of range";
  for (int32_t i = 1; i < engine.tempTop; ++i) {
    const RtString* s = engine.tempStack[i];
    if (s == nullptr) continue;
    if (isFreedDescriptor(s)) return describe("temp stack lists a freed descriptor", i);
    if (!s->temporary || s->temporaryIndex != i)
      return describe("temp stack slot does not match its descriptor's index", i);
  }
  if (engine.fillMark > engine.heapSize) return "fill mark beyond the heap";
  if (engine.heapCount < 0 || engine.heapCount > engine.heapRoom)
    return "heap list count out of range";
  const char* previousEnd = engine.heap;
  const char* fillEnd = engine.heap + engine.fillMark;
  for (int32_t i = 0; i < engine.heapCount; ++i) {
    const RtString* s = engine.heapList[i];
    if (s == nullptr) continue;
    if (isFreedDescriptor(s)) return describe("heap list holds a freed descriptor", i);
    if (!ownsHeapText(s)) return describe("heap list holds a string that owns no heap text", i);
    if (s->areaIndex != i) return describe("heap slot does not match its descriptor's index", i);
    if (s->text < previousEnd) return describe("heap text overlaps or precedes the one before", i);
    if (s->text + s->length > fillEnd) return describe("heap text ends beyond the fill mark", i);
    previousEnd = s->text + s->length;
  }
  for (int32_t i = 0; i < engine.freeCount; ++i) {
    if (!isFreedDescriptor(engine.freeStack[i]))
      return describe("free stack holds a live descriptor", i);
  }
  if (engine.permanentEmpty->length != 0) return "permanent empty string changed";
  if (engine.permanentBlank->length != 1 || engine.permanentBlank->text[0] != ' ')
    return "permanent blank string changed";
  return checkPoolDescriptors();
}

}  // namespace rt
