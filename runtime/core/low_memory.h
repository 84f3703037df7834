// The emulated low-memory area: a byte array laid out like the legacy PC memory map.
//
// The runtime keeps three things there: the time-of-day tick count (0x46C, 3 bytes, written by
// RuntimeLoopThread), the keyboard buffer (0x41A to 0x43D, see key_queue.h) and the keyboard
// status bytes (0x417, 0x418, 0x496). Bytes shared between threads are accessed through
// std::atomic_ref by the modules that own them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rt {

inline constexpr size_t kLowMemorySize = 1114099;

inline constexpr size_t kKeyStatusOffset1 = 0x417;
inline constexpr size_t kKeyStatusOffset2 = 0x418;
inline constexpr size_t kKeyStatusOffset3 = 0x496;
inline constexpr size_t kKeyBufferHeadOffset = 0x41A;
inline constexpr size_t kKeyBufferTailOffset = 0x41C;
inline constexpr size_t kKeyBufferStartOffset = 0x41E;
inline constexpr size_t kTimeOfDayTicksOffset = 0x46C;

// Start of the area. Lives for the whole process.
uint8_t* lowMemory();

// Clears the area and sets the keyboard buffer's head and tail to 0x1E. Start-up only.
void resetLowMemory();

// Stores the low 24 bits of `ticks`, low byte first, at 0x46C. RuntimeLoopThread.
void storeTimeOfDayTicks(uint32_t ticks);

}  // namespace rt
