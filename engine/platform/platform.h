// The engine's only door to the operating system: directory search, file reading, the hit-log
// append, the program's folder and the thread's message pump. One implementation per OS
// (posix/, win32/); CMake builds exactly one of them, and it defines Platform::Default().
//
// Every method may be called from any thread unless it says otherwise.
#ifndef QUARNEL_ENGINE_PLATFORM_PLATFORM_H_
#define QUARNEL_ENGINE_PLATFORM_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>

#include "engine/text.h"

namespace quarnel {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The name of the hit log, beside the executable.
inline constexpr std::string_view kLogFileName = "list_log.txt";

struct DirEntry {
  Text name;
  // Decided by the folder attribute alone; on POSIX a link to a folder counts as a folder.
  bool is_folder = false;
  // The listing itself said this is a regular file (no link, no FIFO, no device), so a reader
  // need not look again before opening it. False when unknown.
  bool known_regular = false;
};

// Identity of a folder on disk, for ending descents through link cycles.
struct FolderId {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FolderId&) const = default;
};

// One open directory search; the first Next() gives the first matching entry. Entries come in
// the order the OS delivers them, "." and ".." included where the OS delivers them.
class DirectorySearch {
 public:
  virtual ~DirectorySearch() = default;
  // False when the search has no further entry (or failed part-way).
  virtual bool Next(DirEntry* entry) = 0;
  // The identity of the folder being searched, where the OS gives it cheaply; false otherwise.
  virtual bool GetFolderId(FolderId* /*id*/) { return false; }
};


// A file open for reading. Only regular files are ever opened.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // Reads up to n bytes into buf: the count read, 0 at the end, -1 on an error.
  virtual int64_t Read(char* buf, size_t n) = 0;
  // The size when the file was opened.
  virtual uint64_t Size() const = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // The implementation for this OS; lives for the whole process.
  static Platform& Default();

  // Starts a search whose last path part is a wildcard pattern ("*.*" matches every name).
  // Null when nothing can be delivered: no such folder, not a folder, no access, no match.
  virtual std::unique_ptr<DirectorySearch> StartSearch(const Text& search_path) = 0;

  // True when path names a folder (links followed).
  virtual bool IsFolder(const Text& path) = 0;

  // The identity of the folder (links followed). False where the OS gives none; the walk then
  // relies on the OS refusing over-long paths to end a cycle.
  virtual bool GetFolderId(const Text& folder, FolderId* id) = 0;

  // Opens an existing regular file for reading, letting others read it too. Null when it is
  // missing, not a regular file (a FIFO, socket or device must never block a scan), not readable,
  // or held open for writing where the OS can tell.
  virtual std::unique_ptr<ReadableFile> OpenForRead(const Text& path) = 0;

  // As OpenForRead, for a path whose listing said known_regular: a platform may then skip its
  // look before opening (what was opened is still checked to be a regular file).
  virtual std::unique_ptr<ReadableFile> OpenListedFile(const Text& path, bool known_regular) {
    (void)known_regular;
    return OpenForRead(path);
  }

  // Creates the file or cuts it to 0 bytes, then writes bytes. False on any failure; a file that
  // cannot be opened is left as it was.
  virtual bool WriteWholeFile(const Text& path, std::string_view bytes) = 0;

  // Appends bytes at the end of the file in place, creating it when missing, as one record:
  // serialised with every other append in this process and, between processes, by the OS's own
  // means (an advisory lock, a share mode). On failure the file keeps its old size and false is
  // returned.
  bool AppendRecord(const Text& path, std::string_view bytes) {
    if (path.empty()) return false;
    std::lock_guard<std::mutex> hold(append_mutex_);
    if (appends_stopped_) return false;
    return AppendInPlace(path, bytes);
  }

  // Waits for an append under way, then refuses every later one, for good. Called at program end
  // so that the log is never cut short by the process ending mid-write.
  void StopAppends() {
    std::lock_guard<std::mutex> hold(append_mutex_);
    appends_stopped_ = true;
  }

  // True when text ends with a separator that is a character of its own. Looks at the last byte;
  // a platform whose code page has two-byte characters ending in the separator's byte says more.
  virtual bool EndsWithSeparator(std::string_view text) {
    return !text.empty() && text.back() == kPathSeparator;
  }

  // The folder of the running executable, without a trailing separator ("" for the root). Taken
  // once; it cannot change while the program runs.
  Text ProgramDirectory() {
    std::call_once(program_dir_once_, [this] { program_dir_ = FindProgramDirectory(); });
    return program_dir_;
  }

  // Handles the calling thread's pending window messages without waiting; nothing where the OS
  // has no per-thread message queue.
  virtual void PumpEvents() = 0;

 protected:
  // AppendRecord's work, called with this process's other appends held off.
  virtual bool AppendInPlace(const Text& path, std::string_view bytes) = 0;
  virtual Text FindProgramDirectory() = 0;

 private:
  std::mutex append_mutex_;
  bool appends_stopped_ = false;
  std::once_flag program_dir_once_;
  Text program_dir_;
};

}  // namespace quarnel

#endif  // QUARNEL_ENGINE_PLATFORM_PLATFORM_H_
