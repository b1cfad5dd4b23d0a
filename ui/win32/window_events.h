// The handlers of the main window's three events and DroppedPath. UI thread only.
#ifndef QUARNEL_UI_WIN32_WINDOW_EVENTS_H_
#define QUARNEL_UI_WIN32_WINDOW_EVENTS_H_

#include "engine/front_end.h"
#include "engine/text.h"
#include "ui/win32/main_window.h"

namespace quarnel::win32 {

class WindowEvents {
 public:
  // front_end must outlive every scan started here; log_path is where scans record hits.
  WindowEvents(ScanFrontEnd& front_end, Text log_path);

  // Makes the whole main window the drop area of 拖放对象1; a failure leaves it without drops.
  void OnWindowCreated(MainWindow& window);

  // Keeps the text of a drop of files as DroppedPath, whatever it names.
  void OnFileReceived(const Text& text);

  // With no DroppedPath, the notice "请把要检测的目录托到这里"; otherwise one more scan of it on
  // a new worker thread that nothing waits for. The worker gets its own copy of DroppedPath.
  void OnStartClicked();

  const Text& dropped_path() const { return dropped_path_; }
  void ReleaseDroppedPath() { Text().swap(dropped_path_); }

 private:
  ScanFrontEnd& front_end_;
  const Text log_path_;
  Text dropped_path_;
};

}  // namespace quarnel::win32

#endif  // QUARNEL_UI_WIN32_WINDOW_EVENTS_H_
