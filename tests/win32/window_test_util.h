// The main window as the program wires it, with the notice and the shell's "open" recorded
// instead of shown, and a message pump for the test thread, which is the UI thread.
#ifndef QUARNEL_TESTS_WIN32_WINDOW_TEST_UTIL_H_
#define QUARNEL_TESTS_WIN32_WINDOW_TEST_UTIL_H_

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/win32/win32_test_util.h"
#include "ui/win32/main_window.h"
#include "ui/win32/window_events.h"
#include "ui/win32/window_front_end.h"

namespace quarnel::testing_win32 {

// Handles this thread's messages until done() holds; false if it still does not after a minute
// (a guard against hanging, not a measure of speed).
bool PumpUntil(const std::function<bool()>& done);

// Runs work on a new thread while this thread serves the window's messages; returns when the
// work has ended.
void RunOnWorker(const std::function<void()>& work);

// What the window side was asked for, in order: "notice:<text>" and "open:<path>".
class Recorder {
 public:
  void Add(std::string event);
  std::vector<std::string> events() const;
  bool Has(const std::string& event) const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> events_;
};

class TestWindow {
 public:
  // The hit log goes to log_path.
  explicit TestWindow(const std::string& log_path);
  ~TestWindow();

  win32::MainWindow& window() { return *window_; }
  win32::WindowFrontEnd& front_end() { return *front_end_; }
  win32::WindowEvents& events() { return *events_; }
  Recorder& recorder() { return recorder_; }
  HWND Control(const ui::LocalText& name) const { return window_->Control(name); }
  bool created() const { return created_; }

 private:
  Recorder recorder_;
  std::unique_ptr<win32::MainWindow> window_;
  std::unique_ptr<win32::WindowFrontEnd> front_end_;
  std::unique_ptr<win32::WindowEvents> events_;
  bool created_ = false;
};

// The window text of a control, as bytes.
std::string WindowText(HWND hwnd);

}  // namespace quarnel::testing_win32

#endif  // QUARNEL_TESTS_WIN32_WINDOW_TEST_UTIL_H_
