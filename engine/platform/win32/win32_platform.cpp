// Win32 implementation of the platform layer. Every path is a byte string in the ANSI code page
// and goes to the -A functions as it is; the backslash is the separator.
#include <algorithm>
#include <limits>
#include <mutex>
#include <string>

#include "engine/platform/platform.h"
#include "engine/platform/win32/win32_files.h"

namespace quarnel {
namespace win32 {

size_t FindLastBackslash(std::string_view text, UINT code_page) {
  size_t last = std::string_view::npos;
  size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<BYTE>(text[i]);
    if (i + 1 < text.size() && ::IsDBCSLeadByteEx(code_page, byte)) {
      i += 2;  // the next byte belongs to this character, whatever its value
      continue;
    }
    if (byte == '\\') last = i;
    ++i;
  }
  return last;
}

Text FolderOfPath(std::string_view path, UINT code_page) {
  const size_t slash = FindLastBackslash(path, code_page);
  return slash == std::string_view::npos ? Text() : Text(path.substr(0, slash));
}

bool AppendInPlace(const Text& path, std::string_view bytes, int attempts,
                   const std::function<void(int)>& wait) {
  if (path.empty() || bytes.size() > std::numeric_limits<DWORD>::max()) return false;
  ScopedHandle file;
  for (int attempt = 0;; ++attempt) {
    // Readers may look on; no other writer may come in until the record is whole.
    file = ScopedHandle(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.is_valid()) break;
    const DWORD error = ::GetLastError();
    const bool held_elsewhere = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    if (!held_elsewhere || attempt + 1 >= attempts) return false;
    if (wait) wait(attempt);
  }
  LARGE_INTEGER old_size;
  const LARGE_INTEGER zero = {};
  if (!::GetFileSizeEx(file.get(), &old_size) ||
      !::SetFilePointerEx(file.get(), zero, nullptr, FILE_END)) {
    return false;
  }
  DWORD written = 0;
  bool ok = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                        nullptr) != FALSE &&
            written == bytes.size();
  if (!ok) {
    // A record is whole or absent: take back a partial write (a full disk, say).
    if (::SetFilePointerEx(file.get(), old_size, nullptr, FILE_BEGIN)) {
      ::SetEndOfFile(file.get());
    }
  }
  if (!file.Close()) ok = false;
  return ok;
}

}  // namespace win32

namespace {

using win32::ScopedHandle;

// Sharing conflicts with another program are retried for about a second, then the record is
// dropped: the scan must not stall behind an editor that keeps the log open.
constexpr int kAppendAttempts = 20;
constexpr DWORD kAppendRetryMilliseconds = 50;

// A name with '?' came through the code page lossily (the character has no ANSI form) and opens
// nothing; the short name, where the volume keeps one, still reaches the entry.
bool NameIsUsable(const char* name) {
  return std::string_view(name).find('?') == std::string_view::npos;
}

class Win32DirectorySearch final : public DirectorySearch {
 public:
  Win32DirectorySearch(HANDLE find, const WIN32_FIND_DATAA& first)
      : find_(find), current_(first), have_current_(true) {}
  ~Win32DirectorySearch() override { ::FindClose(find_); }

  bool Next(DirEntry* entry) override {
    if (!have_current_) {
      if (!::FindNextFileA(find_, &current_)) return false;  // the end, or a failure part-way
    }
    have_current_ = false;
    const char* name = current_.cFileName;
    if (!NameIsUsable(name) && current_.cAlternateFileName[0] != '\0') {
      name = current_.cAlternateFileName;
    }
    entry->name = name;
    entry->is_folder = (current_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
  }

 private:
  HANDLE find_;
  WIN32_FIND_DATAA current_;
  bool have_current_;
};

class Win32File final : public ReadableFile {
 public:
  Win32File(ScopedHandle file, uint64_t size) : file_(std::move(file)), size_(size) {}

  int64_t Read(char* buf, size_t n) override {
    // ReadFile counts in DWORDs; large reads go in slices and the caller loops.
    const DWORD want = static_cast<DWORD>(std::min<size_t>(n, size_t{1} << 30));
    DWORD got = 0;
    if (!::ReadFile(file_.get(), buf, want, &got, nullptr)) return -1;
    return got;
  }
  uint64_t Size() const override { return size_; }

 private:
  ScopedHandle file_;
  uint64_t size_;
};

class Win32Platform final : public Platform {
 public:
  std::unique_ptr<DirectorySearch> StartSearch(const Text& search_path) override {
    if (search_path.empty()) return nullptr;
    WIN32_FIND_DATAA first;
    HANDLE find = ::FindFirstFileA(search_path.c_str(), &first);
    if (find == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32DirectorySearch>(find, first);
  }

  bool IsFolder(const Text& path) override {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  bool GetFolderId(const Text& folder, FolderId* id) override {
    // Backup semantics open folders; no access right is asked, so nobody is kept out.
    ScopedHandle handle(::CreateFileA(folder.empty() ? "\\" : folder.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.is_valid()) return false;
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle.get(), &info)) return false;
    id->device = info.dwVolumeSerialNumber;
    id->inode = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    return true;
  }

  std::unique_ptr<ReadableFile> OpenForRead(const Text& path) override {
    if (path.empty()) return nullptr;
    // Others may read meanwhile, nobody may write: a file open for writing elsewhere fails here.
    ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.is_valid()) return nullptr;
    // Device names (CON, COM1, a pipe) open too; only disk files are scanned.
    if (::GetFileType(file.get()) != FILE_TYPE_DISK) return nullptr;
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return nullptr;
    return std::make_unique<Win32File>(std::move(file), static_cast<uint64_t>(size.QuadPart));
  }

  bool WriteWholeFile(const Text& path, std::string_view bytes) override {
    if (path.empty() || bytes.size() > std::numeric_limits<DWORD>::max()) return false;
    ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.is_valid()) return false;
    bool ok = true;
    if (!bytes.empty()) {
      DWORD written = 0;
      ok = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) != FALSE &&
           written == bytes.size();
    }
    if (!file.Close()) ok = false;
    return ok;
  }

  // The share mode keeps other processes out; threads of this one queue in the caller.
  bool AppendInPlace(const Text& path, std::string_view bytes) override {
    return win32::AppendInPlace(path, bytes, kAppendAttempts,
                                [](int) { ::Sleep(kAppendRetryMilliseconds); });
  }

  bool EndsWithSeparator(std::string_view text) override {
    return !text.empty() && win32::FindLastBackslash(text, ::GetACP()) == text.size() - 1;
  }

  Text FindProgramDirectory() override {
    std::string exe(MAX_PATH, '\0');
    for (;;) {
      const DWORD n = ::GetModuleFileNameA(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
      if (n == 0) {
        exe.clear();
        break;
      }
      if (n < exe.size()) {
        exe.resize(n);
        break;
      }
      if (exe.size() >= 32768) {  // beyond any Windows path: keep what came
        exe.resize(n);
        break;
      }
      exe.resize(exe.size() * 2);  // cut short: a longer path than MAX_PATH
    }
    return win32::FolderOfPath(exe, ::GetACP());
  }

  void PumpEvents() override {
    MSG msg = {};
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
};

}  // namespace

Platform& Platform::Default() {
  // Never destroyed: workers may outlive main.
  static Win32Platform* platform = new Win32Platform();
  return *platform;
}

}  // namespace quarnel
