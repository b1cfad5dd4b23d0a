#include "ui/win32/window_events.h"

#include "engine/scan_job.h"

namespace quarnel::win32 {
namespace {

DWORD WINAPI ScanThreadEntry(void* parameter) {
  auto* job = static_cast<ScanJob*>(parameter);
  job->Run();
  delete job;
  return 0;
}

}  // namespace

WindowEvents::WindowEvents(ScanFrontEnd& front_end, Text log_path)
    : front_end_(front_end), log_path_(std::move(log_path)) {}

void WindowEvents::OnWindowCreated(MainWindow& window) {
  window.drop_object()->RegisterDropWindow(window.hwnd());
}

void WindowEvents::OnFileReceived(const Text& text) { dropped_path_ = text; }

void WindowEvents::OnStartClicked() {
  if (CompareText(dropped_path_, "") == 0) {
    front_end_.ShowNotice(Text(ui::kNoFolderNotice.gbk));
    return;
  }
  // The job copies the folder now, so a later drop cannot reach a running scan.
  auto* job = new ScanJob(dropped_path_, front_end_, ScanSettings{log_path_, nullptr});
  HANDLE thread = ::CreateThread(nullptr, 0, &ScanThreadEntry, job, 0, nullptr);
  if (thread == nullptr) {
    delete job;  // nothing is reported: the press has no visible effect
    return;
  }
  ::CloseHandle(thread);
}

}  // namespace quarnel::win32
