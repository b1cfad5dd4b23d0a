// The scan's view of the main window: the signature box, the results box, the notice and the
// shell's "open". Called on worker threads; the box requests are window messages that the UI
// thread serves from its message loop (or a modal loop), and the worker waits for each.
#ifndef QUARNEL_UI_WIN32_WINDOW_FRONT_END_H_
#define QUARNEL_UI_WIN32_WINDOW_FRONT_END_H_

#include <functional>
#include <mutex>

#include "engine/front_end.h"
#include "ui/win32/main_window.h"

namespace quarnel::win32 {

// A message box with the text, the caption "信息：", one OK button, no owner and MB_TASKMODAL:
// it holds up only the calling thread's windows. Returns when the user has closed it.
void ShowNoticeBox(const Text& text);

// ShellExecuteA "open" on path, owned by the top-level window titled exactly
// "Microsoft Internet Explorer" when there is one. Does not wait; the result is not looked at.
void OpenWithDesktopShell(const Text& path);

class WindowFrontEnd final : public ScanFrontEnd {
 public:
  using TextAction = std::function<void(const Text&)>;

  // window must outlive every scan that uses this front end. The notice and the shell's "open"
  // default to the real ones; tests put their own in.
  explicit WindowFrontEnd(const MainWindow& window, TextAction notice = ShowNoticeBox,
                          TextAction open_with_shell = OpenWithDesktopShell);

  // The signature box's whole text, read afresh (GetWindowTextLengthA, GetWindowTextA).
  Text ReadSignatureText() override;
  // Scrolls 编辑框1 to its end and adds text there, not undoable (EM_SETSEL, EM_SCROLLCARET,
  // EM_REPLACESEL).
  void AppendToResults(const Text& text) override;
  void ShowNotice(const Text& text) override { notice_(text); }
  void OpenWithShell(const Text& path) override { open_with_shell_(path); }
  uint64_t SignatureRevision() override { return window_.signature_revision(); }
  bool IsClosed() override { return window_.closed(); }

 private:
  const MainWindow& window_;
  // Scans that run at once take turns for the whole append: an end position read by one must
  // not be used after another has added behind it.
  std::mutex append_mutex_;
  const TextAction notice_;
  const TextAction open_with_shell_;
};

}  // namespace quarnel::win32

#endif  // QUARNEL_UI_WIN32_WINDOW_FRONT_END_H_
