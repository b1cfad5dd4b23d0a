#include "tests/win32/window_test_util.h"

#include <atomic>
#include <stdexcept>
#include <thread>

namespace quarnel::testing_win32 {

bool PumpUntil(const std::function<bool()>& done) {
  const ULONGLONG give_up = ::GetTickCount64() + 60000;
  for (;;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (done()) return true;
    if (::GetTickCount64() > give_up) return false;
    // Sent messages from workers are served inside this wait as well.
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

void RunOnWorker(const std::function<void()>& work) {
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    work();
    finished = true;
  });
  const bool ended = PumpUntil([&] { return finished.load(); });
  worker.join();
  if (!ended) throw std::runtime_error("worker did not end");
}

void Recorder::Add(std::string event) {
  std::lock_guard<std::mutex> hold(mutex_);
  events_.push_back(std::move(event));
}

std::vector<std::string> Recorder::events() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return events_;
}

bool Recorder::Has(const std::string& event) const {
  std::lock_guard<std::mutex> hold(mutex_);
  for (const std::string& e : events_) {
    if (e == event) return true;
  }
  return false;
}

TestWindow::TestWindow(const std::string& log_path) : window_(new win32::MainWindow()) {
  front_end_ = std::make_unique<win32::WindowFrontEnd>(
      *window_, [this](const Text& text) { recorder_.Add("notice:" + text); },
      [this](const Text& path) { recorder_.Add("open:" + path); });
  events_ = std::make_unique<win32::WindowEvents>(*front_end_, log_path);
  win32::MainWindow::Handlers handlers;
  handlers.on_created = [this] { events_->OnWindowCreated(*window_); };
  handlers.on_start_clicked = [this] { events_->OnStartClicked(); };
  handlers.on_file_received = [this](const Text& text) { events_->OnFileReceived(text); };
  created_ = window_->Create(::GetModuleHandleA(nullptr), std::move(handlers));
}

TestWindow::~TestWindow() {
  window_.reset();  // destroys the window while the front end and handlers still exist
}

std::string WindowText(HWND hwnd) {
  const int length = ::GetWindowTextLengthA(hwnd);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(::GetWindowTextA(hwnd, text.data(), length + 1)));
  return text;
}

}  // namespace quarnel::testing_win32
