#include "runtime/core/read_key.h"

#include "runtime/core/clock.h"
#include "runtime/core/errors.h"
#include "runtime/core/key_queue.h"
#include "runtime/core/string_engine.h"

namespace rt {

RtString* readKey() {
  if (errorIsPending()) return newString(0, true);
  sleepMs(0);
  RtString* key = newString(2, true);
  KeyEntry entry;
  if (!takeKey(entry)) {
    key->length = 0;
    return key;
  }
  key->text[0] = static_cast<char>(entry.character);
  key->text[1] = static_cast<char>(entry.scan);
  // An entry with character 0 and a scan code is an extended key: both bytes are the key.
  key->length = entry.character != 0 || entry.scan == 0 ? 1 : 2;
  return key;
}

}  // namespace rt
