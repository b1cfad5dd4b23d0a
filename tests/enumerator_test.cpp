#include "engine/enumerator.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/test_util.h"

namespace quarnel {
namespace {

using testing_util::ReadOrder;
using testing_util::TempDir;

TextList List(const Text& folder, const Text& patterns = "*.*") {
  TextList list;
  const int64_t count = EnumerateFiles(folder, patterns, &list);
  EXPECT_EQ(count, static_cast<int64_t>(list.size()));
  return list;
}

bool IsDir(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

TEST(EnumerateFiles, OwnFilesFirstThenEachSubfolderInReadOrder) {
  TempDir tmp;
  // Enough names that the directory's own order is unlikely to be sorted.
  for (int i = 0; i < 40; ++i) tmp.Write("f" + std::to_string(i) + ".php", "x");
  for (int i = 0; i < 5; ++i) {
    tmp.Write("sub" + std::to_string(i) + "/a.php", "x");
    tmp.Write("sub" + std::to_string(i) + "/deeper/b", "x");
  }
  tmp.Write(".hidden/c.inc", "x");
  tmp.Write(".dotfile", "x");
  tmp.Write("noext", "x");

  TextList expected;
  const auto top = ReadOrder(tmp.path());
  for (const auto& name : top) {
    if (!IsDir(tmp.Join(name))) expected.push_back(tmp.Join(name));
  }
  for (const auto& name : top) {
    if (!IsDir(tmp.Join(name))) continue;
    const std::string sub = tmp.Join(name);
    std::vector<std::string> later;
    for (const auto& inner : ReadOrder(sub)) {
      if (IsDir(sub + "/" + inner)) {
        later.push_back(sub + "/" + inner);
      } else {
        expected.push_back(sub + "/" + inner);
      }
    }
    for (const auto& deeper : later) {
      for (const auto& leaf : ReadOrder(deeper)) expected.push_back(deeper + "/" + leaf);
    }
  }
  EXPECT_EQ(expected.size(), 40u + 10u + 3u);
  EXPECT_EQ(List(tmp.path()), expected);
}

TEST(EnumerateFiles, PrefixGetsNoSecondSeparator) {
  TempDir tmp;
  tmp.Write("a.php", "x");
  EXPECT_EQ(List(tmp.path() + "/"), TextList{tmp.path() + "/a.php"});
}

TEST(EnumerateFiles, RelativeFolderStaysRelative) {
  TempDir tmp;
  tmp.Write("www/inc/conn.php", "x");
  char cwd[4096];
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(::chdir(tmp.path().c_str()), 0);
  const TextList got = List("www");
  ASSERT_EQ(::chdir(cwd), 0);
  EXPECT_EQ(got, TextList{"www/inc/conn.php"});
}

TEST(EnumerateFiles, FileMissingAndEmptyFoldersListNothing) {
  TempDir tmp;
  const std::string file = tmp.Write("a.php", "x");
  tmp.MakeFolder("empty/inner/innermost");
  TextList list = {"kept"};
  EXPECT_EQ(EnumerateFiles(file, "*.*", &list), 1);
  EXPECT_EQ(EnumerateFiles(tmp.Join("missing"), "*.*", &list), 1);
  EXPECT_EQ(EnumerateFiles(tmp.Join("empty"), "*.*", &list), 1);
  EXPECT_EQ(list, TextList{"kept"});
}

TEST(EnumerateFiles, PatternsListEachInTurnThenWalkEverySubfolder) {
  TempDir tmp;
  tmp.Write("a.php", "x");
  tmp.Write("b.inc", "x");
  tmp.Write("c.txt", "x");
  tmp.Write("sub.txt/d.php", "x");  // a folder whose name no pattern matches is still walked
  EXPECT_EQ(List(tmp.path(), "*.php|*.inc"),
            (TextList{tmp.Join("a.php"), tmp.Join("b.inc"), tmp.Join("sub.txt/d.php")}));
  // A name that both patterns match is listed once per pattern.
  EXPECT_EQ(List(tmp.path(), "a.*|*.php"),
            (TextList{tmp.Join("a.php"), tmp.Join("a.php"), tmp.Join("sub.txt/d.php")}));
  // No pattern: no file, yet the walk goes on (nothing to see but no crash or hang).
  EXPECT_TRUE(List(tmp.path(), "").empty());
}

TEST(EnumerateFiles, LinksToFoldersAreEnteredAndCyclesEnd) {
  TempDir tmp;
  tmp.Write("real/a.php", "x");
  ASSERT_EQ(::symlink(tmp.Join("real").c_str(), tmp.Join("link").c_str()), 0);
  ASSERT_EQ(::symlink("..", tmp.Join("real/up").c_str()), 0);   // back to the top
  ASSERT_EQ(::symlink(".", tmp.Join("real/self").c_str()), 0);  // to itself
  const TextList got = List(tmp.path());
  // Every path through the links names a.php; the walk ends and lists it via each way in.
  ASSERT_FALSE(got.empty());
  for (const auto& p : got) EXPECT_EQ(p.substr(p.size() - 6), "/a.php") << p;
  EXPECT_LE(got.size(), 4u);
  EXPECT_NE(std::find(got.begin(), got.end(), tmp.Join("real/a.php")), got.end());
  EXPECT_NE(std::find(got.begin(), got.end(), tmp.Join("link/a.php")), got.end());
}

TEST(EnumerateFiles, UnreadableSubfolderIsSkippedAndSiblingsWalked) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  TempDir tmp;
  tmp.Write("a/x.php", "x");
  tmp.Write("b/y.php", "x");
  ASSERT_EQ(::chmod(tmp.Join("a").c_str(), 0), 0);
  EXPECT_EQ(List(tmp.path()), TextList{tmp.Join("b/y.php")});
}

TEST(EnumerateFiles, SpecialFilesAreListedLikeFiles) {
  TempDir tmp;
  ASSERT_EQ(::mkfifo(tmp.Join("pipe").c_str(), 0600), 0);
  ASSERT_EQ(::symlink(tmp.Join("nowhere").c_str(), tmp.Join("dangling").c_str()), 0);
  TextList got = List(tmp.path());
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, (TextList{tmp.Join("dangling"), tmp.Join("pipe")}));
}

TEST(FindEntry, ClosedHandleGivesEmptyAndNewSearchRestarts) {
  TempDir tmp;
  tmp.Write("only.php", "x");
  SearchHandle handle;
  EXPECT_EQ(FindEntry("", EntryKind::kFiles, &handle), "");
  const Text search = tmp.Join("*.*");
  EXPECT_EQ(FindEntry(search, EntryKind::kFiles, &handle), "only.php");
  EXPECT_EQ(FindEntry("", EntryKind::kFiles, &handle), "");
  EXPECT_EQ(handle.search, nullptr);
  EXPECT_EQ(FindEntry(search, EntryKind::kFiles, &handle), "only.php");
  // Folders include "." and "..".
  std::vector<Text> folders;
  for (Text n = FindEntry(search, EntryKind::kFolders, &handle); !n.empty();
       n = FindEntry("", EntryKind::kFolders, &handle)) {
    folders.push_back(n);
  }
  std::sort(folders.begin(), folders.end());
  EXPECT_EQ(folders, (std::vector<Text>{".", ".."}));
}

// The scan's listing reads folders on several threads; it must give the one-thread list exactly,
// links, cycles and special files included, with a regular-file flag per path.
TEST(ListEveryFile, SameListAsEnumerateFilesOnAnyNumberOfThreads) {
  TempDir tmp;
  for (int i = 0; i < 30; ++i) tmp.Write("f" + std::to_string(i), "x");
  for (int i = 0; i < 12; ++i) {
    tmp.Write("d" + std::to_string(i) + "/a", "x");
    tmp.Write("d" + std::to_string(i) + "/e/f/g/b", "x");
    tmp.MakeFolder("d" + std::to_string(i) + "/empty");
  }
  ASSERT_EQ(::symlink(tmp.Join("d3").c_str(), tmp.Join("d5/link").c_str()), 0);
  ASSERT_EQ(::symlink("../..", tmp.Join("d7/e/up").c_str()), 0);  // a cycle through the top
  ASSERT_EQ(::mkfifo(tmp.Join("d1/pipe").c_str(), 0600), 0);
  ASSERT_EQ(::symlink(tmp.Join("f1").c_str(), tmp.Join("d2/to_file").c_str()), 0);
  const TextList expected = List(tmp.path());
  for (unsigned threads : {1u, 2u, 4u, 0u}) {
    TextList got;
    std::vector<bool> regular;
    ListEveryFile(tmp.path(), &got, &regular, threads);
    EXPECT_EQ(got, expected) << threads << " threads";
    ASSERT_EQ(regular.size(), got.size());
    for (size_t i = 0; i < got.size(); ++i) {
      const bool link_or_pipe = got[i].find("pipe") != std::string::npos ||
                                got[i].find("to_file") != std::string::npos;
      EXPECT_EQ(regular[i], !link_or_pipe) << got[i];
    }
  }
  TextList none;
  std::vector<bool> no_flags;
  ListEveryFile(tmp.Join("missing"), &none, &no_flags, 2);
  EXPECT_TRUE(none.empty());
}

TEST(ListEveryFile, DeepTreeKeepsItsOrder) {
  TempDir tmp;
  std::string deep;
  for (int level = 0; level < 400; ++level) {
    deep += (level ? "/d" : "d");
    if (level % 100 == 0) tmp.Write(deep + "/side/x", "x");  // a sibling branch on the way down
  }
  tmp.Write(deep + "/bottom", "x");
  const TextList expected = List(tmp.path());
  ASSERT_EQ(expected.size(), 5u);
  for (unsigned threads : {1u, 2u}) {
    TextList got;
    std::vector<bool> regular;
    ListEveryFile(tmp.path(), &got, &regular, threads);
    EXPECT_EQ(got, expected) << threads << " threads";
  }
}

}  // namespace
}  // namespace quarnel
