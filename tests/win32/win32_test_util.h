// Fixtures for the Windows tests: temporary folders with backslash paths, whole-file helpers, a
// file held open by "another program", and running a program for its output.
#ifndef QUARNEL_TESTS_WIN32_WIN32_TEST_UTIL_H_
#define QUARNEL_TESTS_WIN32_WIN32_TEST_UTIL_H_

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

#include "engine/platform/win32/win32_files.h"

namespace quarnel::testing_win32 {

// GBK bytes of a few characters the tests need. 淺 is 9C 5C: its second byte is a backslash.
inline constexpr char kShallow[] = "\x9c\x5c";
inline constexpr char kTools[] = "\xb9\xa4\xbe\xdf";  // 工具

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "\" + relative; "/" in relative becomes "\".
  std::string Join(const std::string& relative) const;
  // Writes bytes to a file below the folder, making its parent folders.
  std::string Write(const std::string& relative, const std::string& bytes) const;
  std::string MakeFolder(const std::string& relative) const;

 private:
  std::string path_;
};

// Writes bytes to path (any folder), making its parent folders. False on failure.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);
// Removes a file or a folder tree, read-only and hidden entries included.
void RemoveTree(const std::string& path);

// Opens path as another program would, with the given access and share mode.
win32::ScopedHandle Hold(const std::string& path, DWORD access, DWORD share);

struct RunResult {
  DWORD exit_code = 0xFFFFFFFF;
  std::string output;  // standard output
};
// Runs a command line, waits for it to end and collects its standard output.
RunResult Run(const std::string& command_line);

// The folder of this test executable, where the helper programs lie.
std::string TestProgramFolder();

// The value of an environment variable; empty when unset.
std::string Environment(const char* name);

}  // namespace quarnel::testing_win32

#endif  // QUARNEL_TESTS_WIN32_WIN32_TEST_UTIL_H_
