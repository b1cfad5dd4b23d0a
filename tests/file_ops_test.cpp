#include "engine/file_ops.h"

#include <sys/stat.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "engine/platform/platform.h"
#include "tests/test_util.h"

namespace quarnel {
namespace {

using testing_util::Exists;
using testing_util::ReadBytes;
using testing_util::TempDir;

TEST(ReadWholeFile, FailuresGiveTheEmptyBuffer) {
  TempDir tmp;
  const std::string empty = tmp.Write("empty", "");
  ASSERT_EQ(::mkfifo(tmp.Join("fifo").c_str(), 0600), 0);  // would block a plain read forever
  for (const std::string& name : {std::string(), tmp.Join("missing"), empty, tmp.path(),
                                  tmp.Join("fifo"), std::string("/dev/zero")}) {
    EXPECT_EQ(ReadWholeFile(name), "") << name;
  }
}

TEST(ReadWholeFile, KeepsZeroBytesAndHighBytes) {
  TempDir tmp;
  const std::string bytes("a\0\xFF\x80z", 5);
  EXPECT_EQ(ReadWholeFile(tmp.Write("f", bytes)), bytes);
}

TEST(WriteWholeFile, CreatesCutsOrFails) {
  TempDir tmp;
  EXPECT_FALSE(WriteWholeFile("", "x"));
  EXPECT_FALSE(WriteWholeFile(tmp.Join("missing/f"), "x"));
  EXPECT_FALSE(Exists(tmp.Join("missing")));
  const std::string f = tmp.Write("f", "old contents");
  EXPECT_TRUE(WriteWholeFile(f, "new"));
  EXPECT_EQ(ReadBytes(f), "new");
  EXPECT_TRUE(WriteWholeFile(f, ""));
  EXPECT_TRUE(Exists(f));
  EXPECT_EQ(ReadBytes(f), "");
}

TEST(AppendRecord, CreatesThenExtendsInPlace) {
  TempDir tmp;
  const std::string log = tmp.Join("list_log.txt");
  Platform& p = Platform::Default();
  EXPECT_TRUE(p.AppendRecord(log, "\r\n/a"));
  EXPECT_TRUE(p.AppendRecord(log, "\r\n/b"));
  EXPECT_EQ(ReadBytes(log), "\r\n/a\r\n/b");
  EXPECT_FALSE(p.AppendRecord(tmp.Join("missing/list_log.txt"), "\r\n/a"));
  EXPECT_FALSE(p.AppendRecord("", "\r\n/a"));
}

TEST(AppendRecord, ReadOnlyLogIsLeftAsItWas) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes read-only files";
  TempDir tmp;
  const std::string log = tmp.Write("list_log.txt", "kept");
  ASSERT_EQ(::chmod(log.c_str(), 0444), 0);
  EXPECT_FALSE(Platform::Default().AppendRecord(log, "\r\n/a"));
  EXPECT_EQ(ReadBytes(log), "kept");
}

TEST(AppendRecord, ThreadsAtOnceLoseNoRecord) {
  TempDir tmp;
  const std::string log = tmp.Write("list_log.txt", "old");
  constexpr int kThreads = 8, kEach = 200;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        Platform::Default().AppendRecord(log, "\r\n/t" + std::to_string(t) + "/" +
                                                  std::to_string(i));
      }
    });
  }
  for (auto& th : threads) th.join();
  const std::string bytes = ReadBytes(log) + "\r\n";  // so that every record ends alike
  ASSERT_EQ(bytes.substr(0, 3), "old");
  size_t expected_size = 3 + 2;
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kEach; ++i) {
      const std::string rec = "\r\n/t" + std::to_string(t) + "/" + std::to_string(i);
      EXPECT_NE(bytes.find(rec + "\r\n"), std::string::npos) << rec;
      expected_size += rec.size();
    }
  }
  EXPECT_EQ(bytes.size(), expected_size);
}

TEST(ProgramDirectory, IsTheFolderOfThisExecutable) {
  const Text dir = ProgramDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_NE(dir.back(), '/');
  EXPECT_TRUE(Exists(dir + "/engine_tests"));
  EXPECT_EQ(DefaultLogPath(), dir + "/list_log.txt");
}

}  // namespace
}  // namespace quarnel
