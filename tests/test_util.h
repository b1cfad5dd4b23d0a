// Temporary fixture trees for tests: made at test time, removed afterwards.
#ifndef QUARNEL_TESTS_TEST_UTIL_H_
#define QUARNEL_TESTS_TEST_UTIL_H_

#include <string>
#include <vector>

namespace quarnel::testing_util {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + relative
  std::string Join(const std::string& relative) const;
  // Writes bytes to a file below the folder, making its parent folders.
  std::string Write(const std::string& relative, const std::string& bytes) const;
  std::string MakeFolder(const std::string& relative) const;

 private:
  std::string path_;
};

std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);

// The entry names of a folder in the order the OS delivers them, "." and ".." left out.
std::vector<std::string> ReadOrder(const std::string& folder);

}  // namespace quarnel::testing_util

#endif  // QUARNEL_TESTS_TEST_UTIL_H_
