#include "tests/win32/win32_test_util.h"

#include <stdexcept>

namespace quarnel::testing_win32 {
namespace {

std::string Backslashes(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

void MakeFolders(const std::string& folder) {
  // Every prefix that ends before a separator; CreateDirectoryA refuses the existing ones.
  for (size_t i = 3; i <= folder.size(); ++i) {
    if (i == folder.size() || folder[i] == '\\') {
      ::CreateDirectoryA(folder.substr(0, i).c_str(), nullptr);
    }
  }
}

std::string ParentOf(const std::string& path) {
  const size_t slash = win32::FindLastBackslash(path, ::GetACP());
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

TempDir::TempDir() {
  char base[MAX_PATH + 1];
  const DWORD n = ::GetTempPathA(sizeof base, base);
  if (n == 0 || n > MAX_PATH) throw std::runtime_error("GetTempPathA failed");
  std::string folder(base, n);
  if (folder.back() != '\\') folder += '\\';
  for (unsigned i = ::GetTickCount() ^ ::GetCurrentProcessId();; ++i) {
    const std::string candidate = folder + "quarnel-test-" + std::to_string(i);
    if (::CreateDirectoryA(candidate.c_str(), nullptr)) {
      path_ = candidate;
      return;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("no temp folder");
  }
}

TempDir::~TempDir() { RemoveTree(path_); }

std::string TempDir::Join(const std::string& relative) const {
  return path_ + "\\" + Backslashes(relative);
}

std::string TempDir::Write(const std::string& relative, const std::string& bytes) const {
  const std::string full = Join(relative);
  if (!WriteFileBytes(full, bytes)) throw std::runtime_error("cannot write " + full);
  return full;
}

std::string TempDir::MakeFolder(const std::string& relative) const {
  const std::string full = Join(relative);
  MakeFolders(full);
  return full;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  MakeFolders(ParentOf(path));
  win32::ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.is_valid()) return false;
  DWORD written = 0;
  if (!bytes.empty() &&
      !::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    return false;
  }
  return written == bytes.size() && file.Close();
}

std::string ReadBytes(const std::string& path) {
  win32::ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string bytes;
  if (!file.is_valid()) return bytes;
  char buf[65536];
  DWORD got = 0;
  while (::ReadFile(file.get(), buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
  return bytes;
}

bool Exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    ::DeleteFileA(path.c_str());
    return;
  }
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {  // never follow a link out of the tree
    WIN32_FIND_DATAA entry;
    HANDLE find = ::FindFirstFileA((path + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..") RemoveTree(path + "\\" + name);
      } while (::FindNextFileA(find, &entry));
      ::FindClose(find);
    }
  }
  ::RemoveDirectoryA(path.c_str());
}

win32::ScopedHandle Hold(const std::string& path, DWORD access, DWORD share) {
  return win32::ScopedHandle(::CreateFileA(path.c_str(), access, share, nullptr, OPEN_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
}

RunResult Run(const std::string& command_line) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!::CreatePipe(&read_end, &write_end, &inherit, 0)) return {};
  win32::ScopedHandle reader(read_end);
  win32::ScopedHandle writer(write_end);
  ::SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write_end;
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process = {};
  std::string line = command_line;
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process)) {
    return {};
  }
  win32::ScopedHandle process_handle(process.hProcess);
  win32::ScopedHandle thread_handle(process.hThread);
  writer.Close();  // the child holds the only write end now, so reading ends with the child

  RunResult result;
  char buf[4096];
  DWORD got = 0;
  while (::ReadFile(read_end, buf, sizeof buf, &got, nullptr) && got > 0) {
    result.output.append(buf, got);
  }
  ::WaitForSingleObject(process.hProcess, INFINITE);
  ::GetExitCodeProcess(process.hProcess, &result.exit_code);
  return result;
}

std::string TestProgramFolder() {
  char exe[32768];
  const DWORD n = ::GetModuleFileNameA(nullptr, exe, sizeof exe);
  return ParentOf(std::string(exe, n));
}

std::string Environment(const char* name) {
  char value[32768];
  const DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
  return n == 0 || n >= sizeof value ? std::string() : std::string(value, n);
}

}  // namespace quarnel::testing_win32
