#include "ui/win32/main_window.h"

#include <commctrl.h>

#include <string>

namespace quarnel::win32 {
namespace {

constexpr int kFirstControlId = 1000;
constexpr UINT_PTR kSignatureBoxSubclassId = 1;

bool HasWindow(ui::ControlKind kind) {
  return kind == ui::ControlKind::kEdit || kind == ui::ControlKind::kLabel ||
         kind == ui::ControlKind::kButton;
}

bool SameName(const ui::LocalText& a, const ui::LocalText& b) { return a.gbk == b.gbk; }

struct ControlClass {
  const char* class_name;
  DWORD style;
};

ControlClass ClassFor(const ui::ControlDescription& control) {
  switch (control.kind) {
    case ui::ControlKind::kEdit:
      // Multi-line, wrapping at the right edge (no horizontal scrolling), no scroll bars, a thin
      // single-line border; the selection hides while the box has no focus.
      return {"EDIT", WS_BORDER | ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN};
    case ui::ControlKind::kLabel: {
      // One line, centred vertically; 标签2 is centred horizontally as well.
      const DWORD align = SameName(control.name, ui::kDropLabel) ? SS_CENTER : SS_LEFT;
      return {"STATIC", SS_CENTERIMAGE | SS_NOPREFIX | align};
    }
    case ui::ControlKind::kButton:
      return {"BUTTON", BS_PUSHBUTTON | BS_CENTER};
    default:
      return {nullptr, 0};
  }
}

}  // namespace

int ControlId(const ui::LocalText& name) {
  for (size_t i = 0; i < ui::kControls.size(); ++i) {
    if (SameName(ui::kControls[i].name, name)) {
      return HasWindow(ui::kControls[i].kind) ? kFirstControlId + static_cast<int>(i) : 0;
    }
  }
  return 0;
}

MainWindow::~MainWindow() {
  // A handle of a destroyed window may name another window by now: only a live one is ours.
  if (hwnd_ != nullptr && !closed_) ::DestroyWindow(hwnd_);
  if (drop_object_ != nullptr) drop_object_->Release();
  if (pink_brush_ != nullptr) ::DeleteObject(pink_brush_);
}

bool MainWindow::Create(HINSTANCE instance, Handlers handlers) {
  handlers_ = std::move(handlers);
  // The drop object exists before the created event, which registers it.
  DropEvents events;
  events.file_received = [this](const Text& text) {
    if (handlers_.on_file_received) handlers_.on_file_received(text);
  };
  drop_object_ = DropTarget::Create(kDropObjectSettings, std::move(events));
  pink_brush_ = ::CreateSolidBrush(
      RGB(ui::kDropLabelRed, ui::kDropLabelGreen, ui::kDropLabelBlue));

  WNDCLASSEXA window_class = {};
  window_class.cbSize = sizeof window_class;
  if (!::GetClassInfoExA(instance, kMainWindowClass, &window_class)) {
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &MainWindow::WindowProc;
    window_class.hInstance = instance;
    window_class.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(1));
    window_class.hIconSm = static_cast<HICON>(
        ::LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                     ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    window_class.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = kMainWindowClass;
    if (!::RegisterClassExA(&window_class)) return false;
  }

  const std::string caption =
      std::string(ui::kCaptionStart.gbk) + std::string(ui::kSupportContact);
  const int left = (::GetSystemMetrics(SM_CXSCREEN) - ui::kWindowOuterWidth) / 2;
  const int top = (::GetSystemMetrics(SM_CYSCREEN) - ui::kWindowOuterHeight) / 2;
  if (::CreateWindowExA(WS_EX_APPWINDOW, kMainWindowClass, caption.c_str(), kMainWindowStyle,
                        left, top, ui::kWindowOuterWidth, ui::kWindowOuterHeight, nullptr, nullptr,
                        instance, this) == nullptr) {
    hwnd_ = nullptr;  // WM_NCCREATE may have seen a window that did not come to be
    return false;
  }
  if (!CreateControls(instance)) {
    ::DestroyWindow(hwnd_);
    return false;
  }
  if (handlers_.on_created) handlers_.on_created();
  ::ShowWindow(hwnd_, SW_SHOWNORMAL);
  ::UpdateWindow(hwnd_);
  ::SetFocus(Control(ui::kSignatureBox));
  return true;
}

bool MainWindow::CreateControls(HINSTANCE instance) {
  const auto font = reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT));
  ::SendMessageA(hwnd_, WM_SETFONT, font, FALSE);
  for (size_t i = 0; i < ui::kControls.size(); ++i) {
    const ui::ControlDescription& control = ui::kControls[i];
    const ControlClass cls = ClassFor(control);
    if (cls.class_name == nullptr) continue;  // no visible part
    const std::string text(SameName(control.name, ui::kSignatureBox)
                               ? ui::kDefaultSignatureText
                               : control.initial_text.gbk);
    DWORD style = WS_CHILD | cls.style;
    if (control.visible) style |= WS_VISIBLE;
    if (control.tab_stop) style |= WS_TABSTOP;
    const auto id = static_cast<INT_PTR>(ControlId(control.name));
    HWND child = ::CreateWindowExA(0, cls.class_name, text.c_str(), style, control.left,
                                   control.top, control.width, control.height, hwnd_,
                                   reinterpret_cast<HMENU>(id), instance, nullptr);
    if (child == nullptr) return false;
    controls_[i] = child;
    ::SendMessageA(child, WM_SETFONT, font, FALSE);
    if (control.kind == ui::ControlKind::kEdit) {
      // Lift the default 32 KiB cap: the results box must never refuse a hit.
      ::SendMessageA(child, EM_SETLIMITTEXT, 0, 0);
      ::SendMessageA(child, EM_SETSEL, 0, 0);
    }
  }
  // A multi-line box reports no EN_CHANGE for WM_SETTEXT; watch that path too.
  return ::SetWindowSubclass(Control(ui::kSignatureBox), &MainWindow::SignatureBoxProc,
                             kSignatureBoxSubclassId, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

HWND MainWindow::Control(const ui::LocalText& name) const {
  for (size_t i = 0; i < ui::kControls.size(); ++i) {
    if (SameName(ui::kControls[i].name, name)) return controls_[i];
  }
  return nullptr;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    auto* self = static_cast<MainWindow*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcA(hwnd, message, wparam, lparam);
  return self->HandleMessage(message, wparam, lparam);
}

LRESULT CALLBACK MainWindow::SignatureBoxProc(HWND hwnd, UINT message, WPARAM wparam,
                                              LPARAM lparam, UINT_PTR id, DWORD_PTR data) {
  if (message == WM_SETTEXT) ++reinterpret_cast<MainWindow*>(data)->signature_revision_;
  if (message == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, &MainWindow::SignatureBoxProc, id);
  return ::DefSubclassProc(hwnd, message, wparam, lparam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      const int code = HIWORD(wparam);
      if (id == ControlId(ui::kStartButton) && code == BN_CLICKED) {
        if (handlers_.on_start_clicked) handlers_.on_start_clicked();
        return 0;
      }
      if (id == ControlId(ui::kSignatureBox) && code == EN_CHANGE) {
        ++signature_revision_;
        return 0;
      }
      break;
    }
    case WM_CTLCOLORSTATIC: {
      auto dc = reinterpret_cast<HDC>(wparam);
      ::SetTextColor(dc, RGB(0, 0, 0));
      if (reinterpret_cast<HWND>(lparam) == Control(ui::kDropLabel)) {
        ::SetBkColor(dc, RGB(ui::kDropLabelRed, ui::kDropLabelGreen, ui::kDropLabelBlue));
        return reinterpret_cast<LRESULT>(pink_brush_);
      }
      ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DESTROY:
      closed_ = true;
      if (drop_object_ != nullptr) drop_object_->RevokeDropWindow();
      if (handlers_.on_destroyed) handlers_.on_destroyed();
      return 0;
    case WM_NCDESTROY:
      ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return ::DefWindowProcA(hwnd_, message, wparam, lparam);
}

}  // namespace quarnel::win32
