// plain_reader: the floor of the benchmark. Lists every file below each FOLDER (depth-first, as
// the scanner does), then reads each regular file whole into memory and looks at nothing. With
// --threads 1 it reads one file at a time; without, on every core. Prints the file count and bytes.
//
//   plain_reader [--threads N] FOLDER...
//
// POSIX only: the benchmark runs on Linux.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

void List(const std::string& folder, std::vector<std::string>* files) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  std::vector<std::string> subfolders;
  while (const dirent* d = ::readdir(dir)) {
    if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0) continue;
    std::string path = folder + "/" + d->d_name;
    if (d->d_type == DT_DIR) {
      subfolders.push_back(std::move(path));
    } else {
      files->push_back(std::move(path));
    }
  }
  ::closedir(dir);
  for (const std::string& sub : subfolders) List(sub, files);
}

// Reads the whole file into buf (grown as needed); the byte count, 0 when unreadable.
size_t ReadWhole(const std::string& path, std::vector<char>* buf) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return 0;
  struct stat st;
  size_t got = 0;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    const size_t size = static_cast<size_t>(st.st_size);
    if (buf->size() < size) buf->resize(size);
    while (got < size) {
      const ssize_t n = ::read(fd, buf->data() + got, size - got);
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
  }
  ::close(fd);
  return got;
}

}  // namespace

int main(int argc, char** argv) {
  unsigned threads = std::thread::hardware_concurrency();
  std::vector<std::string> folders;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--threads") == 0 && i + 1 < argc) {
      threads = static_cast<unsigned>(std::atoi(argv[++i]));
    } else {
      folders.emplace_back(argv[i]);
    }
  }
  if (folders.empty()) {
    std::fprintf(stderr, "usage: plain_reader [--threads N] FOLDER...\n");
    return 2;
  }
  if (threads == 0) threads = 1;
  std::vector<std::string> files;
  for (const std::string& folder : folders) List(folder, &files);

  std::atomic<size_t> next{0};
  std::atomic<unsigned long long> bytes{0};
  auto work = [&] {
    std::vector<char> buf;
    unsigned long long mine = 0;
    for (size_t i; (i = next.fetch_add(1)) < files.size();) mine += ReadWhole(files[i], &buf);
    bytes += mine;
  };
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (auto& t : pool) t.join();
  std::printf("%zu files, %llu bytes\n", files.size(), bytes.load());
  return 0;
}
