#include "ui/win32/window_front_end.h"

#include <shellapi.h>

#include <string>

namespace quarnel::win32 {

void ShowNoticeBox(const Text& text) {
  const std::string caption(ui::kNoticeCaption.gbk);
  ::MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_TASKMODAL);
}

void OpenWithDesktopShell(const Text& path) {
  HWND owner = ::FindWindowExA(nullptr, nullptr, nullptr, "Microsoft Internet Explorer");
  ::ShellExecuteA(owner, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

WindowFrontEnd::WindowFrontEnd(const MainWindow& window, TextAction notice,
                               TextAction open_with_shell)
    : window_(window), notice_(std::move(notice)), open_with_shell_(std::move(open_with_shell)) {}

Text WindowFrontEnd::ReadSignatureText() {
  HWND box = window_.Control(ui::kSignatureBox);
  Text text;
  for (;;) {
    const int length = ::GetWindowTextLengthA(box);
    if (length <= 0) return Text();
    // One byte of room beyond the length shows whether the text grew in between; a cut text
    // would be a cut signature, which matches where the real one does not.
    text.assign(static_cast<size_t>(length) + 2, '\0');
    const int got = ::GetWindowTextA(box, text.data(), length + 2);
    if (got <= length) {
      text.resize(static_cast<size_t>(got > 0 ? got : 0));
      return text;
    }
  }
}

void WindowFrontEnd::AppendToResults(const Text& text) {
  HWND box = window_.Control(ui::kResultsBox);
  std::lock_guard<std::mutex> hold(append_mutex_);
  // The length may overstate the characters of a text with two-byte characters; the edit
  // control clamps the selection to the end, which is where it must go.
  const int end = ::GetWindowTextLengthA(box);
  ::SendMessageA(box, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
  ::SendMessageA(box, EM_SCROLLCARET, 0, 0);
  ::SendMessageA(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace quarnel::win32
