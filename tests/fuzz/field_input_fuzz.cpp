// Fuzzes sequential field input: the input becomes a file (sometimes written in two parts, the
// second appended while it is being read), which is opened for input and read field by field,
// string and number fields of several types mixed, until the end test is true. Every read must
// consume at least one byte or reach the end, so the loop is bounded by the file's size.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "runtime/core/errors.h"
#include "runtime/files/field_input.h"
#include "runtime/files/file_open.h"
#include "runtime/files/file_table.h"

namespace {

// A temporary folder for the one file, removed when the fuzzer exits.
struct FuzzFolder {
  std::string path;
  FuzzFolder() : path((std::filesystem::temp_directory_path() / "ferlang-fuzz-XXXXXX").string()) {
    if (mkdtemp(path.data()) == nullptr) abort();
  }
  ~FuzzFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

const std::string& fuzzFilePath() {
  static const FuzzFolder folder;
  static const std::string path = folder.path + "/fields.txt";
  return path;
}

void writeBytes(const std::string& path, const uint8_t* data, size_t size, const char* how) {
  FILE* file = std::fopen(path.c_str(), how);
  if (file == nullptr) abort();
  if (size != 0 && std::fwrite(data, 1, size, file) != size) abort();
  std::fclose(file);
}

void clearError() {
  rt::pendingError = 0;
  rt::checkpointPending = 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // Byte 0: block size and whether the file grows; byte 1: the field-type script.
  const uint8_t setup = data[0];
  const uint8_t script = data[1];
  data += 2;
  size -= 2;
  const size_t firstPart = (setup & 0x80) != 0 ? size / 2 : size;
  const std::string& path = fuzzFilePath();
  writeBytes(path, data, firstPart, "wb");

  rt::fileTable().setReadBufferBytes((setup & 0x40) != 0 ? 65536 : 1 + (setup & 0x3F));
  clearError();
  rt::openFile(rt::literalString(path), rt::OpenMode::Input, rt::OpenAccess::NotGiven,
               rt::OpenLock::NotGiven, 1);
  if (rt::errorIsPending()) abort();

  static const uint32_t kTypes[] = {rt::kSigned16Field,
                                    rt::kFieldFloat | 64,
                                    rt::kFieldFloat | 32,
                                    rt::kFieldUnsigned | 16,
                                    64,
                                    8};
  std::string field;
  size_t steps = 0;
  bool appended = firstPart == size;
  while (rt::atEndOfFile(1) == 0 || !appended) {
    if (!appended && (rt::atEndOfFile(1) != 0 || steps == 3)) {
      writeBytes(path, data + firstPart, size - firstPart, "ab");
      appended = true;
    }
    // Each read consumes a byte or meets the end, so more steps than bytes means a hang.
    if (++steps > 2 * size + 8) abort();
    const int kind = (script >> (steps % 8)) & 1 ? static_cast<int>(steps % 7) : 0;
    if (kind == 0) {
      rt::inputStringField(1, field);
      if (field.size() > size) abort();
    } else {
      (void)rt::inputNumberField(1, kTypes[kind - 1]);
    }
    clearError();
    const rt::FileSlot& slot = rt::fileTable().slot(rt::fileTable().slotOfNumber(1));
    if (slot.position < 0 || slot.position > static_cast<int64_t>(size)) abort();
  }
  clearError();
  rt::closeFile(1);
  return 0;
}
