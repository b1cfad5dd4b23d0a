// The Win32 platform layer on the real calls, under code page 936: texts, the program's folder,
// directory search and the enumerator's backslash paths, share modes, the in-place log append and
// the message pump.
#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "engine/enumerator.h"
#include "engine/file_ops.h"
#include "engine/platform/platform.h"
#include "engine/platform/system_texts.h"
#include "engine/platform/win32/win32_files.h"
#include "tests/win32/win32_test_util.h"
#include "ui/window_description.h"

namespace quarnel {
namespace {

using testing_win32::Exists;
using testing_win32::Hold;
using testing_win32::kShallow;
using testing_win32::kTools;
using testing_win32::ReadBytes;
using testing_win32::TempDir;

std::wstring Wide(std::string_view bytes, UINT code_page) {
  std::wstring wide(bytes.size(), L'\0');
  const int n = ::MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(),
                                      static_cast<int>(bytes.size()), wide.data(),
                                      static_cast<int>(wide.size()));
  wide.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return wide;
}

TEST(CodePage, IsGbkAndEveryWindowsTextIsItsCharacters) {
  ASSERT_EQ(::GetACP(), 936u) << "run the tests with a Chinese locale (scripts/test-windows.sh)";
  const ui::LocalText texts[] = {
      ui::kCaptionStart, ui::kNoticeCaption, ui::kNoFolderNotice, ui::kResultsBox,
      ui::kDropObject,   ui::kDropLabel,     ui::kHeadingLabel,   ui::kCommonDialog,
      ui::kSignatureBox, ui::kStartButton,   ui::kControls[2].initial_text,
      ui::kControls[3].initial_text,         ui::kControls[6].initial_text,
      {"全部检测完成", kScanCompleteNotice},
  };
  for (const ui::LocalText& text : texts) {
    EXPECT_FALSE(text.gbk.empty());
    EXPECT_EQ(Wide(text.gbk, CP_ACP), Wide(text.utf8, CP_UTF8)) << text.utf8;
  }
}

TEST(FolderOfPath, FollowsTheCodePagesLeadBytes) {
  struct Case {
    std::string path;
    std::string folder;
  };
  const Case cases[] = {
      {"D:\\Tools\\scan.exe", "D:\\Tools"},
      {"D:\\scan.exe", "D:"},
      {"scan.exe", ""},
      // The folder ends with 淺, whose second byte is 0x5C: the character stays whole.
      {std::string("D:\\") + kShallow + "\\scan.exe", std::string("D:\\") + kShallow},
      // A 淺 in the file name holds the last 0x5C byte, yet it is no separator.
      {std::string("D:\\T\\x") + kShallow + ".exe", "D:\\T"},
      {std::string("D:\\T\\") + kShallow, "D:\\T"},
      // 0x80 is no lead byte in code page 936: the backslash after it is a separator.
      {"D:\\\x80\\x.exe", "D:\\\x80"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(win32::FolderOfPath(c.path, 936), c.folder) << c.path;
  }
}

// The probe prints ProgramDirectory() and DefaultLogPath() for wherever it has been copied.
std::vector<std::string> ProbeIn(const std::string& folder) {
  const std::string probe = folder + "\\probe.exe";
  EXPECT_TRUE(::CopyFileA((testing_win32::TestProgramFolder() + "\\program_directory_probe.exe")
                              .c_str(),
                          probe.c_str(), FALSE));
  const testing_win32::RunResult run = testing_win32::Run("\"" + probe + "\"");
  ::DeleteFileA(probe.c_str());
  EXPECT_EQ(run.exit_code, 0u);
  return SplitText(run.output, "\n");
}

TEST(ProgramDirectory, FolderEndingWithA5CTrailByteStaysWhole) {
  TempDir tmp;
  const std::string folder = tmp.MakeFolder(std::string(kTools) + kShallow);
  EXPECT_EQ(ProbeIn(folder), (TextList{folder, folder + "\\list_log.txt"}));
}

TEST(ProgramDirectory, DriveRootGivesTheDriveAlone) {
  const std::string drive = testing_win32::Environment("QUARNEL_TEST_DRIVE");
  if (drive.empty()) GTEST_SKIP() << "QUARNEL_TEST_DRIVE names no spare drive";
  EXPECT_EQ(ProbeIn(drive + "\\"), (TextList{drive, drive + "\\list_log.txt"}));
}

TEST(ProgramDirectory, IsTheFolderOfThisExecutable) {
  EXPECT_EQ(ProgramDirectory(), testing_win32::TestProgramFolder());
}

TextList List(const Text& folder) {
  TextList list;
  EnumerateFiles(folder, "*.*", &list);
  return list;
}

TEST(EnumerateFiles, BackslashPrefixes) {
  TempDir tmp;
  tmp.Write("www/a.php", "x");
  tmp.Write("www/inc/conn.php", "x");
  const TextList expected = {tmp.Join("www/a.php"), tmp.Join("www/inc/conn.php")};
  EXPECT_EQ(List(tmp.Join("www")), expected);
  EXPECT_EQ(List(tmp.Join("www") + "\\"), expected);  // no second backslash
}

TEST(EnumerateFiles, DriveRootGetsNoSecondBackslash) {
  const std::string drive = testing_win32::Environment("QUARNEL_TEST_DRIVE");
  if (drive.empty()) GTEST_SKIP() << "QUARNEL_TEST_DRIVE names no spare drive";
  const std::string file = drive + "\\root.php";
  ASSERT_TRUE(testing_win32::WriteFileBytes(file, "x"));
  const TextList got = List(drive + "\\");
  ::DeleteFileA(file.c_str());
  EXPECT_EQ(got, TextList{file});
}

TEST(EnumerateFiles, FolderEndingWith5CTrailByteIsListed) {
  TempDir tmp;
  // Both the dropped folder and a subfolder end with 淺, whose last byte is 0x5C.
  const std::string top = std::string("www") + kShallow;
  const std::string sub = top + "/inc" + kShallow;
  tmp.Write(top + "/a.php", "x");
  tmp.Write(sub + "/b.php", "x");
  EXPECT_EQ(List(tmp.Join(top)), (TextList{tmp.Join(top + "/a.php"), tmp.Join(sub + "/b.php")}));
}

TEST(EnumerateFiles, HiddenSystemAndReadOnlyEntriesAreListedAndWalked) {
  TempDir tmp;
  const struct {
    const char* file;
    DWORD attributes;
  } entries[] = {
      {"w/hidden.php", FILE_ATTRIBUTE_HIDDEN},
      {"w/system.php", FILE_ATTRIBUTE_SYSTEM},
      {"w/readonly.php", FILE_ATTRIBUTE_READONLY},
      {"w/secret/inner.php", FILE_ATTRIBUTE_ARCHIVE},
  };
  for (const auto& e : entries) {
    ASSERT_TRUE(::SetFileAttributesA(tmp.Write(e.file, "x").c_str(), e.attributes));
  }
  ASSERT_TRUE(::SetFileAttributesA(tmp.Join("w/secret").c_str(),
                                   FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  TextList got = List(tmp.Join("w"));
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, (TextList{tmp.Join("w/hidden.php"), tmp.Join("w/readonly.php"),
                           tmp.Join("w/secret/inner.php"), tmp.Join("w/system.php")}));
}

TEST(EnumerateFiles, NameWithoutAnAnsiFormIsListedByAPathThatOpens) {
  TempDir tmp;
  // 한글 has no form in code page 936; its ANSI long name would be "??" and open nothing.
  const std::wstring folder = Wide(tmp.path(), CP_ACP) + L"\\\xD55C\xAE00";
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  win32::ScopedHandle file(::CreateFileW((folder + L"\\\xD55C.php").c_str(), GENERIC_WRITE, 0,
                                         nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(file.get(), "eval(", 5, &written, nullptr));
  file.Close();
  const TextList got = List(tmp.path());
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].find('?'), std::string::npos) << got[0];
  EXPECT_EQ(ReadWholeFile(got[0]), "eval(");
}

TEST(EnumerateFiles, LinkCyclesEnd) {
  // scripts/test-windows.sh makes this folder with a link back to itself; without a cycle check
  // the walk would list a.php again at every level, up to the path limit.
  const std::string loop = testing_win32::Environment("QUARNEL_TEST_LINK_CYCLE");
  if (loop.empty()) GTEST_SKIP() << "QUARNEL_TEST_LINK_CYCLE names no link fixture";
  const std::string file = loop + "\\a.php";
  ASSERT_TRUE(testing_win32::WriteFileBytes(file, "x"));
  const TextList got = List(loop);
  ::DeleteFileA(file.c_str());
  EXPECT_EQ(got, TextList{file});
}

TEST(ReadWholeFile, ShareModes) {
  TempDir tmp;
  const std::string path = tmp.Write("f.php", "eval(");
  struct Case {
    const char* holder;
    DWORD access;
    DWORD share;
    std::string expected;
  };
  const Case cases[] = {
      {"nobody", 0, 0, "eval("},
      {"a reader that lets others read", GENERIC_READ, FILE_SHARE_READ, "eval("},
      {"a writer that lets everyone in", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, ""},
      {"a reader that lets nobody read", GENERIC_READ, FILE_SHARE_WRITE, ""},
      {"a holder that shares nothing", GENERIC_READ, 0, ""},
  };
  for (const Case& c : cases) {
    win32::ScopedHandle held;
    if (c.access != 0) {
      held = Hold(path, c.access, c.share);
      ASSERT_TRUE(held.is_valid()) << c.holder;
    }
    EXPECT_EQ(ReadWholeFile(path), c.expected) << "held by " << c.holder;
  }
}

TEST(ReadWholeFile, FoldersDevicesAndMissingFilesGiveTheEmptyBuffer) {
  TempDir tmp;
  for (const std::string& name : {std::string(), tmp.path(), tmp.Join("missing.php"),
                                  std::string("NUL"), std::string("CON")}) {
    EXPECT_EQ(ReadWholeFile(name), "") << name;
  }
}

TEST(OpenForRead, SizesAreNotCutAt2GiB) {
  TempDir tmp;
  const std::string path = tmp.Write("big", "");
  for (const int64_t size : {int64_t{3} << 30, int64_t{5} << 30}) {
    {
      win32::ScopedHandle file = Hold(path, GENERIC_WRITE, 0);
      LARGE_INTEGER end;
      end.QuadPart = size;  // sparse where the file system allows: nothing is written
      ASSERT_TRUE(::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN));
      ASSERT_TRUE(::SetEndOfFile(file.get()));
    }
    auto file = Platform::Default().OpenForRead(path);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Size(), static_cast<uint64_t>(size));
  }
}

TEST(WriteWholeFile, CreatesCutsOrLeavesTheFileAsItWas) {
  TempDir tmp;
  EXPECT_FALSE(WriteWholeFile("", "x"));
  EXPECT_FALSE(WriteWholeFile(tmp.Join("missing/f"), "x"));
  const std::string f = tmp.Write("f", "old contents");
  EXPECT_TRUE(WriteWholeFile(f, "new"));
  EXPECT_EQ(ReadBytes(f), "new");
  EXPECT_TRUE(WriteWholeFile(f, ""));
  EXPECT_TRUE(Exists(f));
  EXPECT_EQ(ReadBytes(f), "");

  const std::string read_only = tmp.Write("read_only", "kept");
  ASSERT_TRUE(::SetFileAttributesA(read_only.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(WriteWholeFile(read_only, "lost"));
  EXPECT_EQ(ReadBytes(read_only), "kept");
  const std::string open = tmp.Write("open", "kept");
  win32::ScopedHandle held = Hold(open, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
  EXPECT_FALSE(WriteWholeFile(open, "lost"));
  held.Close();
  EXPECT_EQ(ReadBytes(open), "kept");
}

TEST(AppendRecord, CreatesThenExtendsInPlace) {
  TempDir tmp;
  const std::string log = tmp.Join("list_log.txt");
  Platform& p = Platform::Default();
  EXPECT_TRUE(p.AppendRecord(log, "\r\nC:\\a.php"));
  EXPECT_TRUE(p.AppendRecord(log, "\r\nC:\\b.php"));
  EXPECT_EQ(ReadBytes(log), "\r\nC:\\a.php\r\nC:\\b.php");
}

TEST(AppendRecord, LogHeldElsewhere) {
  TempDir tmp;
  const std::string log = tmp.Write("list_log.txt", "old");
  struct Case {
    const char* holder;
    DWORD access;
    DWORD share;
    bool appended;
  };
  const Case cases[] = {
      // An editor that reads and lets others write does not stand in the way.
      {"a reader that lets others write", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
      {"a reader that lets only readers in", GENERIC_READ, FILE_SHARE_READ, false},
      {"a writer", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, false},
      {"a holder that shares nothing", GENERIC_READ, 0, false},
  };
  std::string expected = "old";
  for (const Case& c : cases) {
    win32::ScopedHandle held = Hold(log, c.access, c.share);
    ASSERT_TRUE(held.is_valid()) << c.holder;
    // Retried briefly, then the record is dropped and the log keeps its size.
    EXPECT_EQ(Platform::Default().AppendRecord(log, "\r\nC:\\x.php"), c.appended) << c.holder;
    held.Close();
    if (c.appended) expected += "\r\nC:\\x.php";
    EXPECT_EQ(ReadBytes(log), expected) << c.holder;
  }
}

TEST(AppendInPlace, RetriesWhileHeldAndSucceedsOnceReleased) {
  TempDir tmp;
  const std::string log = tmp.Write("list_log.txt", "old");
  win32::ScopedHandle held = Hold(log, GENERIC_READ, FILE_SHARE_READ);
  std::vector<int> waits;
  EXPECT_FALSE(win32::AppendInPlace(log, "\r\nC:\\x", 3, [&](int i) { waits.push_back(i); }));
  EXPECT_EQ(waits, (std::vector<int>{0, 1}));
  EXPECT_EQ(ReadBytes(log), "old");

  waits.clear();
  EXPECT_TRUE(win32::AppendInPlace(log, "\r\nC:\\x", 3, [&](int i) {
    waits.push_back(i);
    held.Close();  // the other program lets go while we wait
  }));
  EXPECT_EQ(waits, (std::vector<int>{0}));
  EXPECT_EQ(ReadBytes(log), "old\r\nC:\\x");
}

TEST(AppendRecord, ReadOnlyLogIsNotRetriedAndKeepsItsContents) {
  TempDir tmp;
  const std::string log = tmp.Write("list_log.txt", "kept");
  ASSERT_TRUE(::SetFileAttributesA(log.c_str(), FILE_ATTRIBUTE_READONLY));
  int waits = 0;
  EXPECT_FALSE(win32::AppendInPlace(log, "\r\nC:\\a", 5, [&](int) { ++waits; }));
  EXPECT_EQ(waits, 0);
  EXPECT_FALSE(Platform::Default().AppendRecord(log, "\r\nC:\\a"));
  EXPECT_EQ(ReadBytes(log), "kept");
}

TEST(AppendRecord, ThreadsAtOnceLoseNoRecord) {
  TempDir tmp;
  const std::string log = tmp.Write("list_log.txt", "old");
  constexpr int kThreads = 4, kRecords = 50;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRecords; ++i) {
        Platform::Default().AppendRecord(log, "\r\nC:\\t" + std::to_string(t) + "\\" +
                                                  std::to_string(i));
      }
    });
  }
  for (auto& t : threads) t.join();
  const std::string bytes = ReadBytes(log) + "\r\n";
  EXPECT_EQ(bytes.rfind("old\r\n", 0), 0u);
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kRecords; ++i) {
      const std::string record = "\r\nC:\\t" + std::to_string(t) + "\\" + std::to_string(i);
      EXPECT_NE(bytes.find(record + "\r\n"), std::string::npos) << record;
    }
  }
}

TEST(PumpEvents, HandlesEveryPendingMessageQuitIncludedAndReturns) {
  static std::vector<UINT>* seen = nullptr;
  std::vector<UINT> messages;
  seen = &messages;
  WNDCLASSA cls = {};
  cls.lpfnWndProc = [](HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
    if (msg >= WM_APP) seen->push_back(msg);
    return ::DefWindowProcA(hwnd, msg, wp, lp);
  };
  cls.hInstance = ::GetModuleHandleA(nullptr);
  cls.lpszClassName = "QuarnelPumpTest";
  ::RegisterClassA(&cls);
  HWND window = ::CreateWindowExA(0, cls.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  cls.hInstance, nullptr);
  ASSERT_NE(window, nullptr);

  Platform::Default().PumpEvents();  // nothing pending: returns at once
  ::PostMessageA(window, WM_APP + 1, 0, 0);
  ::PostQuitMessage(0);
  ::PostMessageA(window, WM_APP + 2, 0, 0);
  Platform::Default().PumpEvents();
  EXPECT_EQ(messages, (std::vector<UINT>{WM_APP + 1, WM_APP + 2}));
  MSG left;
  EXPECT_FALSE(::PeekMessageA(&left, nullptr, 0, 0, PM_REMOVE)) << "message " << left.message;
  ::DestroyWindow(window);
}

}  // namespace
}  // namespace quarnel
