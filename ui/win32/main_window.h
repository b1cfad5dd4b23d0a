// The main window of the Windows edition, built with CreateWindowExA from the shared window
// description: the results box, the two labels, the signature box and the start button, plus the
// drop object 拖放对象1. Texts are GBK bytes. Created, used and destroyed on the UI thread only,
// except where a method says otherwise.
#ifndef QUARNEL_UI_WIN32_MAIN_WINDOW_H_
#define QUARNEL_UI_WIN32_MAIN_WINDOW_H_

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>

#include "engine/text.h"
#include "ui/win32/drop_target.h"
#include "ui/window_description.h"

namespace quarnel::win32 {

inline constexpr char kMainWindowClass[] = "QuarnelMainWindow";
// The drop object's settings: text, HTML fragments and files, no URLs.
inline constexpr DropSettings kDropObjectSettings = {true, true, false, true};

// The child-window id of a control of the description; 0 for the controls without a window
// (the drop object, the common dialog) and for unknown names.
int ControlId(const ui::LocalText& name);

// The window's style: fixed frame, caption with system menu and minimise box, no maximise box.
inline constexpr DWORD kMainWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

class MainWindow {
 public:
  // All optional; each runs on the UI thread.
  struct Handlers {
    std::function<void()> on_created;        // the controls exist, the window is not shown yet
    std::function<void()> on_start_clicked;  // 按钮_寻找特征文本
    std::function<void(const Text&)> on_file_received;  // FileReceived of 拖放对象1
    std::function<void()> on_destroyed;
  };

  MainWindow() = default;
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window and its controls, runs on_created, then shows the window centred on the
  // primary screen. False when the window cannot be created (nothing is shown).
  bool Create(HINSTANCE instance, Handlers handlers);

  HWND hwnd() const { return hwnd_; }
  // The control's window, by its name in the description; null for windowless ones. The handles
  // are fixed at creation, so any thread may ask.
  HWND Control(const ui::LocalText& name) const;
  DropTarget* drop_object() const { return drop_object_; }

  // Any thread: moves whenever the signature box's text may have changed.
  uint64_t signature_revision() const { return signature_revision_.load(); }
  // Any thread: true once the window has been destroyed.
  bool closed() const { return closed_.load(); }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK SignatureBoxProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                           UINT_PTR id, DWORD_PTR data);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  bool CreateControls(HINSTANCE instance);

  HWND hwnd_ = nullptr;
  // In the order of the description; null for windowless controls. Written before any worker
  // exists and never changed, so workers may read them.
  std::array<HWND, ui::kControls.size()> controls_ = {};
  Handlers handlers_;
  DropTarget* drop_object_ = nullptr;
  HBRUSH pink_brush_ = nullptr;
  std::atomic<uint64_t> signature_revision_{0};
  std::atomic<bool> closed_{false};
};

}  // namespace quarnel::win32

#endif  // QUARNEL_UI_WIN32_MAIN_WINDOW_H_
