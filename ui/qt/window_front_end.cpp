#include "ui/qt/window_front_end.h"

#include <condition_variable>

#include <QMetaObject>

#include "engine/scan_job.h"
#include "ui/qt/main_window.h"

namespace quarnel::ui {

// One call's completion: the worker waits until the last copy of it is gone.
class WindowLink::Done {
 public:
  struct State {
    std::mutex mutex;
    std::condition_variable released;
    bool done = false;
  };
  explicit Done(std::shared_ptr<State> state) : state_(std::move(state)) {}
  Done(const Done&) = delete;
  Done& operator=(const Done&) = delete;
  ~Done() {
    std::lock_guard<std::mutex> hold(state_->mutex);
    state_->done = true;
    state_->released.notify_all();
  }

 private:
  std::shared_ptr<State> state_;
};

WindowLink::WindowLink(MainWindow* window) : window_(window) {}

void WindowLink::Close() {
  std::lock_guard<std::mutex> hold(mutex_);
  window_ = nullptr;
  closed_.store(true, std::memory_order_release);
}

void WindowLink::Call(Task task) {
  auto state = std::make_shared<Done::State>();
  {
    std::lock_guard<std::mutex> hold(mutex_);
    if (window_ == nullptr) return;
    // Posted while the window cannot go away; once it does, Qt drops the call unrun, and
    // dropping it releases done.
    QMetaObject::invokeMethod(
        window_,
        [link = shared_from_this(), window = window_, task = std::move(task),
         done = std::make_shared<Done>(state)]() mutable {
          if (!link->IsClosed()) task(*window, std::move(done));
        },
        Qt::QueuedConnection);
  }
  std::unique_lock<std::mutex> lock(state->mutex);
  state->released.wait(lock, [&] { return state->done; });
}

Text WindowFrontEnd::ReadSignatureText() {
  Text text;
  link_->Call([&text](MainWindow& window, auto) { text = window.SignatureText(); });
  return text;
}

void WindowFrontEnd::AppendToResults(const Text& text) {
  link_->Call([&text](MainWindow& window, auto) { window.AppendResult(text); });
}

void WindowFrontEnd::ShowNotice(const Text& text) {
  link_->Call([&text](MainWindow& window, std::shared_ptr<WindowLink::Done> done) {
    window.ShowNotice(text, std::move(done));
  });
}

void WindowFrontEnd::OpenWithShell(const Text& path) {
  link_->Call([&path](MainWindow& window, auto) { window.OpenWithShell(path); });
}

uint64_t WindowFrontEnd::SignatureRevision() {
  return link_->signature_revision.load(std::memory_order_acquire);
}

bool WindowFrontEnd::IsClosed() { return link_->IsClosed(); }

void ScanThreadEntry(std::shared_ptr<WindowLink> link, Text folder, Text log_path) {
  {
    WindowFrontEnd front_end(link);
    ScanJob job(std::move(folder), front_end, ScanSettings{std::move(log_path), nullptr});
    job.Run();
  }
  link->running_scans.fetch_sub(1);
}

}  // namespace quarnel::ui
