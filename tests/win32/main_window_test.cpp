// The main window against its description, and the scan's view of it (the two boxes, the
// notice) with the worker's requests served by this thread.
#include <atomic>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "engine/platform/system_texts.h"
#include "tests/win32/window_test_util.h"
#include "ui/window_description.h"

namespace quarnel {
namespace {

using testing_win32::RunOnWorker;
using testing_win32::TempDir;
using testing_win32::TestWindow;
using testing_win32::WindowText;

std::string ClassName(HWND hwnd) {
  char name[64] = {};
  ::GetClassNameA(hwnd, name, sizeof name);
  return name;
}

LONG Style(HWND hwnd) { return ::GetWindowLongA(hwnd, GWL_STYLE); }

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ui_.created()); }
  TempDir tmp_;
  TestWindow ui_{tmp_.Join("list_log.txt")};
};

TEST_F(MainWindowTest, WindowFollowsTheDescription) {
  HWND main = ui_.window().hwnd();
  EXPECT_EQ(ClassName(main), win32::kMainWindowClass);
  EXPECT_EQ(WindowText(main),
            std::string(ui::kCaptionStart.gbk) + std::string(ui::kSupportContact));
  const LONG style = Style(main);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
            WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0) << "fixed frame, no maximise box";
  EXPECT_EQ(::GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_TRUE(::IsWindowVisible(main));
  EXPECT_FALSE(::IsIconic(main));

  RECT outer;
  ASSERT_TRUE(::GetWindowRect(main, &outer));
  EXPECT_EQ(outer.right - outer.left, ui::kWindowOuterWidth);
  EXPECT_EQ(outer.bottom - outer.top, ui::kWindowOuterHeight);
  EXPECT_EQ(outer.left, (::GetSystemMetrics(SM_CXSCREEN) - ui::kWindowOuterWidth) / 2);
  EXPECT_EQ(outer.top, (::GetSystemMetrics(SM_CYSCREEN) - ui::kWindowOuterHeight) / 2);

  EXPECT_EQ(::GetClassLongPtrA(main, GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);
  EXPECT_NE(::GetClassLongPtrA(main, GCLP_HICON), 0) << "the icon resource is linked in";
}

TEST_F(MainWindowTest, ControlsFollowTheDescription) {
  HWND main = ui_.window().hwnd();
  const auto font = reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT));
  for (const ui::ControlDescription& c : ui::kControls) {
    SCOPED_TRACE(std::string(c.name.utf8));
    HWND control = ui_.Control(c.name);
    const bool has_window = c.kind == ui::ControlKind::kEdit ||
                            c.kind == ui::ControlKind::kLabel || c.kind == ui::ControlKind::kButton;
    ASSERT_EQ(control != nullptr, has_window);
    if (!has_window) continue;  // the drop object and the common dialog have no visible part

    EXPECT_EQ(::GetParent(control), main);
    EXPECT_EQ(::GetDlgCtrlID(control), win32::ControlId(c.name));
    const char* expected_class = c.kind == ui::ControlKind::kEdit    ? "Edit"
                                 : c.kind == ui::ControlKind::kLabel ? "Static"
                                                                     : "Button";
    EXPECT_EQ(_stricmp(ClassName(control).c_str(), expected_class), 0) << ClassName(control);
    RECT r;
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, c.left);
    EXPECT_EQ(r.top, c.top);
    EXPECT_EQ(r.right - r.left, c.width);
    EXPECT_EQ(r.bottom - r.top, c.height);
    const std::string text(&c.name == &ui::kControls[5].name ? ui::kDefaultSignatureText
                                                             : c.initial_text.gbk);
    EXPECT_EQ(WindowText(control), text);
    EXPECT_EQ(::IsWindowVisible(control) != FALSE, c.visible);
    EXPECT_TRUE(::IsWindowEnabled(control));
    EXPECT_EQ((Style(control) & WS_TABSTOP) != 0, c.tab_stop);
    EXPECT_EQ(::SendMessageA(control, WM_GETFONT, 0, 0), static_cast<LRESULT>(font));
  }
}

TEST_F(MainWindowTest, KindsOfControlHaveTheirLook) {
  for (const ui::LocalText& name : {ui::kResultsBox, ui::kSignatureBox}) {
    SCOPED_TRACE(std::string(name.utf8));
    HWND box = ui_.Control(name);
    const LONG style = Style(box);
    // WS_BORDER is not asked here: the edit control takes it over and draws the line itself.
    EXPECT_EQ(style & (ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN),
              ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN);
    // Wraps at the right edge, no scroll bars, editable, plain, selection hidden without focus.
    EXPECT_EQ(style & (ES_AUTOHSCROLL | WS_HSCROLL | WS_VSCROLL | ES_READONLY | ES_PASSWORD |
                       ES_UPPERCASE | ES_LOWERCASE | ES_NOHIDESEL | ES_CENTER | ES_RIGHT),
              0);
    EXPECT_EQ(::GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    DWORD start = 1, end = 1;
    ::SendMessageA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 0u);
  }
  EXPECT_EQ(Style(ui_.Control(ui::kHeadingLabel)) & (SS_TYPEMASK | SS_CENTERIMAGE),
            SS_LEFT | SS_CENTERIMAGE);
  EXPECT_EQ(Style(ui_.Control(ui::kDropLabel)) & (SS_TYPEMASK | SS_CENTERIMAGE),
            SS_CENTER | SS_CENTERIMAGE);
  EXPECT_EQ(Style(ui_.Control(ui::kStartButton)) & BS_TYPEMASK, BS_PUSHBUTTON) << "not default";
}

TEST_F(MainWindowTest, DropLabelIsPinkAndTheHeadingHasTheWindowsBackground) {
  HDC dc = ::CreateCompatibleDC(nullptr);
  struct Case {
    const ui::LocalText& label;
    COLORREF colour;
  };
  const Case cases[] = {
      {ui::kDropLabel, RGB(255, 128, 192)},
      {ui::kHeadingLabel, ::GetSysColor(COLOR_BTNFACE)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.label.utf8));
    const auto brush = reinterpret_cast<HBRUSH>(
        ::SendMessageA(ui_.window().hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(ui_.Control(c.label))));
    LOGBRUSH fill = {};
    ASSERT_EQ(::GetObjectA(brush, sizeof fill, &fill), static_cast<int>(sizeof fill));
    EXPECT_EQ(fill.lbColor, c.colour);
    EXPECT_EQ(::GetBkColor(dc), c.colour);
    EXPECT_EQ(::GetTextColor(dc), RGB(0, 0, 0));
  }
  ::DeleteDC(dc);
}

TEST_F(MainWindowTest, WorkerAppendsAtTheEndNotUndoable) {
  HWND results = ui_.Control(ui::kResultsBox);
  ::SetWindowTextA(results, "typed by the user");
  ::SendMessageA(results, EM_SETSEL, 3, 3);  // the caret somewhere in the middle
  const std::string gbk_path = std::string("\r\nC:\\") + testing_win32::kTools + "\\a.php";
  RunOnWorker([&] {
    ui_.front_end().AppendToResults(gbk_path);
    ui_.front_end().AppendToResults("\r\nC:\\b.php");
  });
  const std::string expected = "typed by the user" + gbk_path + "\r\nC:\\b.php";
  EXPECT_EQ(WindowText(results), expected);
  DWORD start = 0, end = 0;
  ::SendMessageA(results, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, end);
  EXPECT_EQ(end, static_cast<DWORD>(::GetWindowTextLengthW(results))) << "caret after the text";
  EXPECT_FALSE(::SendMessageA(results, EM_CANUNDO, 0, 0));
}

TEST_F(MainWindowTest, ResultsBoxTakesMoreThanTheDefault32KiB) {
  const std::string line = "\r\nC:\\www\\" + std::string(90, 'x') + ".php";
  std::string expected;
  for (int i = 0; i < 330; ++i) {  // about 34,000 bytes
    ui_.front_end().AppendToResults(line);
    expected += line;
  }
  EXPECT_EQ(WindowText(ui_.Control(ui::kResultsBox)), expected);
}

TEST_F(MainWindowTest, SignatureTextIsReadAfreshAndEveryChangeMovesTheRevision) {
  HWND box = ui_.Control(ui::kSignatureBox);
  Text read;
  RunOnWorker([&] { read = ui_.front_end().ReadSignatureText(); });
  EXPECT_EQ(read, ui::kDefaultSignatureText);

  uint64_t revision = ui_.front_end().SignatureRevision();
  const std::string gbk_signature = std::string(testing_win32::kTools) + "eval(";
  ::SetWindowTextA(box, gbk_signature.c_str());
  EXPECT_NE(ui_.front_end().SignatureRevision(), revision) << "set from outside";
  revision = ui_.front_end().SignatureRevision();
  ::SendMessageA(box, EM_SETSEL, 0, 0);
  ::SendMessageA(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("x\r\n"));
  EXPECT_NE(ui_.front_end().SignatureRevision(), revision) << "typed";
  revision = ui_.front_end().SignatureRevision();
  ::SendMessageA(box, WM_CHAR, 'y', 0);  // at the caret, after the insertion
  EXPECT_NE(ui_.front_end().SignatureRevision(), revision) << "a key";

  RunOnWorker([&] { read = ui_.front_end().ReadSignatureText(); });
  EXPECT_EQ(read, "x\r\ny" + gbk_signature);
}

TEST_F(MainWindowTest, DestroyedWindowIsClosedAndReadsAsEmpty) {
  EXPECT_FALSE(ui_.front_end().IsClosed());
  ::DestroyWindow(ui_.window().hwnd());
  EXPECT_TRUE(ui_.front_end().IsClosed());
  EXPECT_EQ(ui_.front_end().ReadSignatureText(), "");
  ui_.front_end().AppendToResults("\r\nC:\\a.php");  // nothing to add to, and no crash
}

// Watches for the notice box from another thread, reads it and presses OK.
struct SeenNotice {
  bool found = false;
  std::string caption, text;
  bool has_ok = false, has_cancel = false, has_owner = false, main_enabled = false;
};

SeenNotice AnswerNotice(HWND main) {
  SeenNotice seen;
  const std::string caption(ui::kNoticeCaption.gbk);
  for (int i = 0; i < 3000 && !seen.found; ++i) {
    HWND box = ::FindWindowA("#32770", caption.c_str());
    if (box == nullptr || !::IsWindowVisible(box)) {
      ::Sleep(10);
      continue;
    }
    seen.found = true;
    seen.caption = WindowText(box);
    seen.text = WindowText(::GetDlgItem(box, 0xFFFF));  // the message text's static
    seen.has_ok = ::GetDlgItem(box, IDOK) != nullptr;
    seen.has_cancel = ::GetDlgItem(box, IDCANCEL) != nullptr;
    seen.has_owner = ::GetWindow(box, GW_OWNER) != nullptr;
    seen.main_enabled = ::IsWindowEnabled(main) != FALSE;
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
  return seen;
}

TEST_F(MainWindowTest, NoticeBoxIsTaskModalForItsOwnThreadOnly) {
  HWND main = ui_.window().hwnd();
  const Text completion(kScanCompleteNotice);
  const Text no_folder(ui::kNoFolderNotice.gbk);
  struct Case {
    const char* thread;
    const Text& text;
    bool main_enabled;
  };
  const Case cases[] = {{"the UI thread", no_folder, false}, {"a worker", completion, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.thread);
    SeenNotice seen;
    std::thread watcher([&] { seen = AnswerNotice(main); });
    if (c.main_enabled) {
      RunOnWorker([&] { win32::ShowNoticeBox(c.text); });
    } else {
      win32::ShowNoticeBox(c.text);
    }
    watcher.join();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.caption, ui::kNoticeCaption.gbk);
    EXPECT_EQ(seen.text, c.text);
    EXPECT_TRUE(seen.has_ok);
    EXPECT_FALSE(seen.has_cancel);
    EXPECT_FALSE(seen.has_owner);
    EXPECT_EQ(seen.main_enabled, c.main_enabled);
    EXPECT_TRUE(::IsWindowEnabled(main)) << "enabled again once the notice is closed";
  }
}

}  // namespace
}  // namespace quarnel
