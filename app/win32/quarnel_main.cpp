// quarnel.exe: the Windows edition's start and end. The UI thread initialises OLE, registers the
// exit handler, loads the main window and runs the message loop until the window is destroyed;
// the process then ends without waiting for scans that still run.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <cstdlib>

#include "engine/file_ops.h"
#include "engine/platform/platform.h"
#include "ui/win32/main_window.h"
#include "ui/win32/window_events.h"
#include "ui/win32/window_front_end.h"

namespace quarnel::win32 {
namespace {

// 无法创建主窗口: the error box of a failed start.
constexpr char kCannotCreateWindow[] =
    "\xce\xde\xb7\xa8\xb4\xb4\xbd\xa8\xd6\xf7\xb4\xb0\xbf\xda";

// Workers may still use these while the process ends, so they are never destroyed.
WindowEvents* g_events = nullptr;

void ShutDownOle() { ::OleUninitialize(); }

// Runs once at program end, before OLE is shut down.
void OnProgramExit() {
  // A log append under way completes; none starts after it, so the end cannot cut a record.
  Platform::Default().StopAppends();
  if (g_events != nullptr) g_events->ReleaseDroppedPath();
}

int ProgramStart(HINSTANCE instance) {
  ::OleInitialize(nullptr);
  // Exit handlers run in reverse order of registration: OnProgramExit first, then OLE's end.
  std::atexit(ShutDownOle);
  std::atexit(OnProgramExit);
  // The program's folder is fixed before any worker exists.
  const Text log_path = DefaultLogPath();

  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);

  auto* window = new MainWindow();
  auto* front_end = new WindowFrontEnd(*window);
  g_events = new WindowEvents(*front_end, log_path);
  MainWindow::Handlers handlers;
  handlers.on_created = [window] { g_events->OnWindowCreated(*window); };
  handlers.on_start_clicked = [] { g_events->OnStartClicked(); };
  handlers.on_file_received = [](const Text& text) { g_events->OnFileReceived(text); };
  handlers.on_destroyed = [] { ::PostQuitMessage(0); };
  if (!window->Create(instance, std::move(handlers))) {
    ::MessageBoxA(nullptr, kCannotCreateWindow, "Quarnel", MB_OK | MB_ICONERROR);
    return 1;
  }

  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return 0;
}

}  // namespace
}  // namespace quarnel::win32

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return quarnel::win32::ProgramStart(instance);
}
