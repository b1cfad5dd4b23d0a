// quarnel.exe as a user meets it: the window appears, the start button with nothing dropped
// answers with the task-modal notice, and closing the window ends the program.
#include <string>

#include <gtest/gtest.h>

#include "tests/win32/window_test_util.h"
#include "ui/window_description.h"

namespace quarnel {
namespace {

using testing_win32::WindowText;

struct Search {
  DWORD process;
  const char* class_name;
  HWND found;
};

// A visible top-level window of the process with the class; polls for up to a minute.
HWND WaitForWindow(DWORD process, const char* class_name) {
  for (int i = 0; i < 6000; ++i) {
    Search search = {process, class_name, nullptr};
    ::EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<Search*>(param);
          DWORD owner = 0;
          ::GetWindowThreadProcessId(hwnd, &owner);
          char name[64] = {};
          ::GetClassNameA(hwnd, name, sizeof name);
          if (owner != s->process || std::string(name) != s->class_name ||
              !::IsWindowVisible(hwnd)) {
            return TRUE;
          }
          s->found = hwnd;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    ::Sleep(10);
  }
  return nullptr;
}

TEST(QuarnelExe, WindowNoticeAndEnd) {
  std::string command = "\"" + testing_win32::TestProgramFolder() + "\\quarnel.exe\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
  win32::ScopedHandle process_handle(process.hProcess);
  win32::ScopedHandle thread_handle(process.hThread);

  HWND main = WaitForWindow(process.dwProcessId, win32::kMainWindowClass);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(WindowText(main),
            std::string(ui::kCaptionStart.gbk) + std::string(ui::kSupportContact));

  // Posted: the click runs the notice's modal loop, which a sent message would wait for.
  HWND start = ::GetDlgItem(main, win32::ControlId(ui::kStartButton));
  ASSERT_NE(start, nullptr);
  ::PostMessageA(start, BM_CLICK, 0, 0);
  HWND notice = WaitForWindow(process.dwProcessId, "#32770");
  ASSERT_NE(notice, nullptr);
  EXPECT_EQ(WindowText(notice), ui::kNoticeCaption.gbk);
  EXPECT_EQ(WindowText(::GetDlgItem(notice, 0xFFFF)), ui::kNoFolderNotice.gbk);
  EXPECT_FALSE(::IsWindowEnabled(main)) << "task-modal for the UI thread";
  ::PostMessageA(notice, WM_COMMAND, IDOK, 0);

  ::PostMessageA(main, WM_CLOSE, 0, 0);
  ASSERT_EQ(::WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
  DWORD exit_code = 1;
  ::GetExitCodeProcess(process.hProcess, &exit_code);
  EXPECT_EQ(exit_code, 0u);
}

}  // namespace
}  // namespace quarnel
