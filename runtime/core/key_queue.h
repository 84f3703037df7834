// KeyQueue: the legacy 16-entry keyboard ring (15 usable) in the low-memory area.
//
// One writer: enqueueKey, called by the key-down handler on DisplayThread (the handler's callers
// are serialised, see key_events.h). One reader: readKey (read_key.h) and the runtime's own
// waits through takeKey, all on ProgramThread. Head (0x41A) and tail (0x41C) hold offsets relative to 0x400 in
// the range 0x1E..0x3C; the writer stores an entry's two bytes and then publishes the tail with
// a release store; the reader loads the tail with acquire, copies the entry, then publishes the
// head with a release store. Each index byte is written by one side only.
#pragma once

#include <cstdint>

namespace rt {

// One queued key in its legacy form: character code and scan code.
struct KeyEntry {
  uint8_t character = 0;
  uint8_t scan = 0;
};

// Appends (character, scan); drops the key when the queue is full. DisplayThread only.
void enqueueKey(uint8_t character, uint8_t scan);

// Takes the oldest entry into `entry`; false when the queue is empty. ProgramThread only.
bool takeKey(KeyEntry& entry);


}  // namespace rt
