// The string engine: where string texts live and every operation on them.
//
// How the pieces fit:
// - Descriptors (RtString) come from a pool of blocks that never move, so an RtString* stays
//   valid for the life of the descriptor. Freed descriptors are reused last-in first-out.
// - Owned texts live in the StringHeap, one growable block filled from its start up to the fill
//   mark. Every new text leaves a 32-byte gap after it so that the string created last can grow
//   a little in place. The heap list holds the heap strings in address order; when the heap is
//   full it is compacted (texts slide down over freed space) and, if still short, grown. Text
//   pointers therefore change at any allocation: keep descriptors, never raw text pointers.
// - Every operation result is a temporary listed on the StringTempStack. A statement saves the
//   stack top (tempStackTop) before it runs and ends with releaseTemps(mark, result), so no
//   temporary outlives its statement. Operations consume temporaries passed to them: assignment
//   steals a temporary's text, substring operations trim a temporary in place, concatenation
//   frees its temporary operands. Freeing at the end of the heap lowers the fill mark at once,
//   so statements that make and drop temporaries never need a compaction.
// - Literal strings point at text the engine does not own (read-only); fixed strings point at
//   caller storage whose length never changes (fixed-length variables, often carved from the
//   static storage region).
//
// Threads: ProgramThread only (and start-up before the other threads exist); no locks.
// Failures: value operations test errorIsPending() first and then do nothing, returning an
// empty temporary, 0, or the assignment target. Allocation failures are critical errors
// (504, 508, 510, 511, 512) raised through raiseError; they end the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/core/rt_string.h"

namespace rt {

// Start-up sizes of the engine's containers; tests shrink them to exercise growth paths.
struct StringEngineSizes {
  size_t heapBytes = 1048576;         // first StringHeap block
  int32_t descriptorBlock = 65536;    // descriptors carved per pool block
  int32_t freeStackRoom = 65536;      // free-descriptor stack, doubles when full
  int32_t heapListRoom = 65536;       // heap list slots, tidied then doubled when full
  int32_t tempStackRoom = 65536;      // StringTempStack slots (slot 0 is a sentinel), doubles
  size_t staticBlockBytes = 1048576;  // first static storage block
};

// (Re)creates the engine with empty containers and the two permanent strings. Any earlier
// engine state is discarded, together with every descriptor and static block it handed out.
// Start-up (main thread, before the other threads) and tests.
void initStringEngine(const StringEngineSizes& sizes = {});

// The permanent empty string and the permanent one-blank string. Never freed, never assigned
// to; freeTempString and assignString leave them untouched.
RtString* permanentEmptyString();
RtString* permanentBlankString();

// ---- Creation ---------------------------------------------------------------------------------

// A heap string of `length` bytes (contents unspecified; a negative length counts as 0),
// registered as a temporary when `temporary` is true. Works even while an error is pending, so
// a caller may always fill the returned text.
RtString* newString(int32_t length, bool temporary);
// A temporary read-only descriptor over zero-terminated `text` (0 bytes for a null pointer),
// or over `length` bytes of it. No copy is made: the text must outlive the statement.
RtString* newStringFromText(const char* text);
RtString* newStringFromText(const char* text, int32_t length);
// A fixed descriptor over `length` bytes of caller storage; a temporary when asked.
RtString* newFixedString(char* storage, int32_t length, bool temporary);
// Registers an existing descriptor as a temporary (no effect when it already is one).
void markTemporary(RtString* s);

// `size` bytes of static storage that live until resetStatic moves back past them. Returned
// addresses are 16-byte aligned. Never fails except through the critical error 504.
void* allocateStatic(size_t size);
// Moves the static storage pointer back to `mark` (an earlier allocateStatic result), or to the
// start of the current block when `mark` does not lie inside it.
void resetStatic(void* mark);

// ---- Value operations (each consumes temporaries passed to it) ----------------------------------

// Copies the value of `source` into the variable or fixed string `target` and returns `target`.
// A fixed target keeps its length: a shorter source is padded with blanks, a longer one is cut.
// A temporary source gives up its text to the target without a copy.
RtString* assignString(RtString* target, RtString* source);
// `a` followed by `b`; when either is empty, the other operand itself (nothing copied or freed).
RtString* concatStrings(RtString* a, RtString* b);
// One byte `code`; outside 0..255 raises error 5 and gives an empty temporary.
RtString* charString(int32_t code);
// `n` blanks; a negative `n` counts as 0.
RtString* spaces(int32_t n);  // up to 256 blanks: a read-only temporary over constant text
// The first / last `n` bytes of `s` (`n` limited to the length, negative counts as 0).
RtString* leftOf(RtString* s, int32_t n);
RtString* rightOf(RtString* s, int32_t n);
// `length` bytes of `s` from 1-based `start`; a start below 1 shortens the length by the bytes
// before position 1. Without a length: the rest of `s` from `start` (below 1 counts as 1).
RtString* midOf(RtString* s, int32_t start, int32_t length);
RtString* midOf(RtString* s, int32_t start);
// 1-based position of `t` in `s` at or after `start` (1 when not given), or 0. Frees nothing.
int32_t findIn(const RtString* s, const RtString* t);
int32_t findIn(int32_t start, const RtString* s, const RtString* t);
// -1 when the bytes are equal / differ, else 0. Free nothing.
int32_t stringsEqual(const RtString* a, const RtString* b);
int32_t stringsDiffer(const RtString* a, const RtString* b);

// ---- Release ----------------------------------------------------------------------------------

// Frees `s` and, when it owns one, its heap text; its descriptor goes back to the pool. Runs
// even while an error is pending. Null, already-freed and permanent strings are left alone.
void freeTempString(RtString* s);
// The current StringTempStack top: the mark a procedure saves on entry.
int32_t tempStackTop();
// Frees every temporary listed above `mark`.
void releaseTempsAbove(int32_t mark);
// Frees every temporary listed above `mark` and returns `value` unchanged (a number, a truth
// value or a string that is not one of the released temporaries).
template <class Value>
Value releaseTemps(int32_t mark, Value value) {
  releaseTempsAbove(mark);
  return value;
}

// ---- Diagnostics for tests and benchmarks -------------------------------------------------------

struct StringHeapStats {
  size_t heapBytes = 0;       // current StringHeap size
  size_t fillMark = 0;        // bytes in use from the heap start
  uint64_t compactions = 0;   // compactions since initStringEngine
  uint64_t growths = 0;       // heap reallocations since initStringEngine
  int32_t heapListCount = 0;  // used heap-list slots (live and freed)
  int32_t heapListRoom = 0;
  int32_t tempStackRoom = 0;
};
StringHeapStats stringHeapStats();

// Checks the engine's invariants: temp-stack and heap-list slots point back at descriptors
// whose indices name them, heap texts lie inside the fill mark in address order without
// overlapping, and no freed descriptor is still listed. Empty when all hold, else a description
// of the first violation.
std::string checkStringEngineInvariants();

// Makes every later allocation that would raise critical error `errorNumber` (504, 508, 510,
// 511 or 512) fail, so that tests can reach those paths; 0 turns it off.
void failStringAllocationsForTesting(int32_t errorNumber);

}  // namespace rt
