// POSIX implementation of the platform layer (Linux and other Unix systems).
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <string>

#include "engine/platform/platform.h"
#include "engine/platform/wildcard.h"

namespace quarnel {
namespace {

constexpr off_t kSequentialHintSize = 4 << 20;

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(path, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

class PosixDirectorySearch final : public DirectorySearch {
 public:
  PosixDirectorySearch(DIR* dir, std::string folder, std::string pattern)
      : dir_(dir), folder_(std::move(folder)), pattern_(std::move(pattern)),
        match_all_(IsMatchAllPattern(pattern_)) {}
  ~PosixDirectorySearch() override { ::closedir(dir_); }

  bool Next(DirEntry* entry) override {
    for (;;) {
      errno = 0;
      const dirent* d = ::readdir(dir_);
      if (d == nullptr) return false;  // the end, or a failure part-way: either way no more
      if (!match_all_ && !WildcardMatch(pattern_, d->d_name)) continue;
      entry->name = d->d_name;
      entry->is_folder = IsFolder(*d);
      entry->known_regular = d->d_type == DT_REG;
      return true;
    }
  }

  bool GetFolderId(FolderId* id) override {
    struct stat st;
    if (::fstat(::dirfd(dir_), &st) != 0) return false;
    id->device = static_cast<uint64_t>(st.st_dev);
    id->inode = static_cast<uint64_t>(st.st_ino);
    return true;
  }

 private:
  bool IsFolder(const dirent& d) const {
    if (d.d_type == DT_DIR) return true;
    if (d.d_type != DT_LNK && d.d_type != DT_UNKNOWN) return false;
    // A link counts as a folder when what it names is one, as the walk must enter it.
    struct stat st;
    const std::string full = folder_ + "/" + d.d_name;
    return ::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  DIR* dir_;
  std::string folder_;
  std::string pattern_;
  bool match_all_;
};

class PosixFile final : public ReadableFile {
 public:
  PosixFile(int fd, uint64_t size) : fd_(fd), size_(size) {}
  ~PosixFile() override { ::close(fd_); }

  int64_t Read(char* buf, size_t n) override {
    for (;;) {
      const ssize_t got = ::read(fd_, buf, n);
      if (got >= 0) return got;
      if (errno != EINTR) return -1;
    }
  }
  uint64_t Size() const override { return size_; }

 private:
  int fd_;
  uint64_t size_;
};

class PosixPlatform final : public Platform {
 public:
  std::unique_ptr<DirectorySearch> StartSearch(const Text& search_path) override {
    const size_t slash = search_path.rfind('/');
    std::string folder;
    std::string pattern;
    if (slash == std::string::npos) {
      folder = ".";
      pattern = search_path;
    } else {
      folder = slash == 0 ? std::string("/") : search_path.substr(0, slash);
      pattern = search_path.substr(slash + 1);
    }
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return nullptr;
    return std::make_unique<PosixDirectorySearch>(dir, std::move(folder), std::move(pattern));
  }

  bool IsFolder(const Text& path) override {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  bool GetFolderId(const Text& folder, FolderId* id) override {
    struct stat st;
    if (::stat(folder.empty() ? "/" : folder.c_str(), &st) != 0) return false;
    id->device = static_cast<uint64_t>(st.st_dev);
    id->inode = static_cast<uint64_t>(st.st_ino);
    return true;
  }

  std::unique_ptr<ReadableFile> OpenForRead(const Text& path) override {
    return OpenListedFile(path, false);
  }

  std::unique_ptr<ReadableFile> OpenListedFile(const Text& path, bool known_regular) override {
    if (path.empty()) return nullptr;
    struct stat st;
    // Look before opening unless the listing already did: opening a FIFO or a device may block
    // or have side effects.
    if (!known_regular && (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))) {
      return nullptr;
    }
    const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return nullptr;
    // The entry may have been swapped since the look; check what was really opened.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      return nullptr;
    }
#ifdef POSIX_FADV_SEQUENTIAL
    // Only worth a call where read-ahead has room to matter.
    if (st.st_size >= kSequentialHintSize) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    return std::make_unique<PosixFile>(fd, static_cast<uint64_t>(st.st_size));
  }

  bool WriteWholeFile(const Text& path, std::string_view bytes) override {
    if (path.empty()) return false;
    const int fd = OpenRetrying(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) return false;
    const bool wrote = WriteAll(fd, bytes);
    const bool closed = ::close(fd) == 0;
    return wrote && closed;
  }

  // fcntl locks are per process and do not keep this process's threads apart: the caller's
  // mutex does.
  bool AppendInPlace(const Text& path, std::string_view bytes) override {
    const int fd = OpenRetrying(path.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0666);
    if (fd < 0) return false;
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    int rc;
    do {
      rc = ::fcntl(fd, F_SETLKW, &lock);
    } while (rc != 0 && errno == EINTR);
    bool ok = false;
    struct stat st;
    if (rc == 0 && ::fstat(fd, &st) == 0) {
      ok = WriteAll(fd, bytes);
      // A record is whole or absent: take back a partial write (a full disk, say).
      if (!ok) (void)::ftruncate(fd, st.st_size);
    }
    // Closing drops the fcntl lock.
    if (::close(fd) != 0) ok = false;
    return ok;
  }

  Text FindProgramDirectory() override {
    std::string exe;
    std::string buf(256, '\0');
    for (;;) {
      const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
      if (n < 0) break;
      if (static_cast<size_t>(n) < buf.size()) {
        exe.assign(buf.data(), static_cast<size_t>(n));
        break;
      }
      buf.resize(buf.size() * 2);
    }
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash);
  }

  void PumpEvents() override {}
};

}  // namespace

Platform& Platform::Default() {
  static PosixPlatform* platform = new PosixPlatform();  // never destroyed: workers may outlive main
  return *platform;
}

}  // namespace quarnel
