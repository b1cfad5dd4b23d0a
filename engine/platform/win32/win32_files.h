// Pieces of the Win32 platform layer that tests reach directly: the handle holder, the code-page
// aware backslash search and the in-place log append with its retry seam.
#ifndef QUARNEL_ENGINE_PLATFORM_WIN32_WIN32_FILES_H_
#define QUARNEL_ENGINE_PLATFORM_WIN32_WIN32_FILES_H_

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <functional>
#include <string_view>

#include "engine/text.h"

namespace quarnel::win32 {

// Owns a kernel handle and closes it once. Null and INVALID_HANDLE_VALUE both mean "none".
class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() { Close(); }

  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = other.Release();
    }
    return *this;
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  bool is_valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

  HANDLE Release() {
    HANDLE h = handle_;
    handle_ = nullptr;
    return h;
  }

  // False when CloseHandle failed; true when there was nothing to close.
  bool Close() {
    if (!is_valid()) return true;
    const bool ok = ::CloseHandle(Release()) != FALSE;
    return ok;
  }

 private:
  HANDLE handle_ = nullptr;
};

// Byte index of the last backslash of text that is a character of its own in the code page
// (a 0x5C that is the second byte of a two-byte character is skipped); npos when there is none.
size_t FindLastBackslash(std::string_view text, UINT code_page);

// The part of path before FindLastBackslash; empty when there is no backslash.
Text FolderOfPath(std::string_view path, UINT code_page);

// Appends bytes at the end of the file as one write, creating the file when missing. The file is
// opened so that nobody else may write it meanwhile; when another program holds it so that it
// cannot be opened (a sharing or lock violation), the open is tried `attempts` times in all, and
// wait(i) runs between try i and the next. Any other failure ends at once. On failure the file
// keeps the size it had and false is returned. Not serialised: the caller locks.
bool AppendInPlace(const Text& path, std::string_view bytes, int attempts,
                   const std::function<void(int)>& wait);

}  // namespace quarnel::win32

#endif  // QUARNEL_ENGINE_PLATFORM_WIN32_WIN32_FILES_H_
