// How a scan's worker thread reaches the window: every request to the boxes runs on the UI thread
// while the worker waits, as a window message would on Windows. The window and its scans share a
// WindowLink, which outlives the window for as long as a scan holds it, so a worker whose window
// is gone only finds the link closed and stops quietly.
#ifndef QUARNEL_UI_QT_WINDOW_FRONT_END_H_
#define QUARNEL_UI_QT_WINDOW_FRONT_END_H_

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "engine/front_end.h"
#include "engine/text.h"

namespace quarnel::ui {

class MainWindow;

class WindowLink : public std::enable_shared_from_this<WindowLink> {
 public:
  // Released, on any thread, when the UI thread is done with a call: when the task has returned,
  // or later if the task keeps a copy (a notice keeps one until it is closed), or when the call
  // is dropped with the window.
  class Done;
  using Task = std::function<void(MainWindow& window, std::shared_ptr<Done> done)>;

  explicit WindowLink(MainWindow* window);

  // UI thread: the window is closing. Later calls fail at once and calls already queued do not
  // run; those still queued when the window is destroyed are dropped, which releases their
  // workers. Repeated calls do nothing more.
  void Close();

  // Any thread.
  bool IsClosed() const { return closed_.load(std::memory_order_acquire); }

  // Worker thread only (the UI thread would wait for itself): runs task on the UI thread and
  // waits until its Done is released. Once the window is closed the task does not run, and the
  // call returns at once, or as soon as the window drops it.
  void Call(Task task);

  // Bumped on the UI thread at every change of the signature box; read from any thread.
  std::atomic<uint64_t> signature_revision{0};
  // Scans started from the window that have not yet ended.
  std::atomic<int> running_scans{0};

 private:
  // Guards window_: a worker posts to the window only while it is set, and the UI thread clears
  // it before the window is destroyed.
  std::mutex mutex_;
  MainWindow* window_;
  std::atomic<bool> closed_{false};
};

// The operations a scan job uses, bound to one window through its link. Called on the worker.
class WindowFrontEnd final : public ScanFrontEnd {
 public:
  explicit WindowFrontEnd(std::shared_ptr<WindowLink> link) : link_(std::move(link)) {}

  // The signature box's text, "\r\n" between lines, in the locale's encoding; empty once closed.
  Text ReadSignatureText() override;
  // Adds text at the end of the results box: caret after it, scrolled into view, not undoable.
  void AppendToResults(const Text& text) override;
  // A notice that leaves the window usable; returns when it has been closed or the window is gone.
  void ShowNotice(const Text& text) override;
  // The window's "open with the desktop's handler"; not waited for.
  void OpenWithShell(const Text& path) override;
  // No round trip to the UI thread.
  uint64_t SignatureRevision() override;
  bool IsClosed() override;

 private:
  std::shared_ptr<WindowLink> link_;
};

// A worker thread's whole life: one scan of folder from the window, hits logged to log_path (none
// when empty). The starter adds one to link->running_scans before starting the thread; the thread
// takes it off as its very last step.
void ScanThreadEntry(std::shared_ptr<WindowLink> link, Text folder, Text log_path);

}  // namespace quarnel::ui

#endif  // QUARNEL_UI_QT_WINDOW_FRONT_END_H_
