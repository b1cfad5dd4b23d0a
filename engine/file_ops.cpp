#include "engine/file_ops.h"

#include <new>

#include "engine/platform/platform.h"

namespace quarnel {

ByteBuffer ReadWholeFile(const Text& name) {
  if (name.empty()) return ByteBuffer();
  auto file = Platform::Default().OpenForRead(name);
  if (!file) return ByteBuffer();
  ByteBuffer bytes;
  try {
    bytes.resize(file->Size());
    size_t got = 0;
    while (got < bytes.size()) {
      const int64_t n = file->Read(bytes.data() + got, bytes.size() - got);
      if (n < 0) return ByteBuffer();
      if (n == 0) break;  // shrank since it was opened: keep what was delivered
      got += static_cast<size_t>(n);
    }
    bytes.resize(got);
  } catch (const std::bad_alloc&) {
    return ByteBuffer();
  }
  return bytes;
}

bool WriteWholeFile(const Text& name, std::string_view bytes) {
  return Platform::Default().WriteWholeFile(name, bytes);
}

Text ProgramDirectory() { return Platform::Default().ProgramDirectory(); }

Text DefaultLogPath() {
  return ConcatText({ProgramDirectory(), std::string_view(&kPathSeparator, 1), kLogFileName});
}

}  // namespace quarnel
