// quarnel: the desktop window. `quarnel [FOLDER...]` starts with the FOLDERs as if they had been
// dropped on the window (so "Open with" and the .desktop entry work).
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <QApplication>

#include "engine/platform/platform.h"
#include "ui/qt/drop_object.h"
#include "ui/qt/main_window.h"

namespace quarnel {
namespace {

// A path as a drop would give it: absolute, without "." and ".." steps, and no trailing slash.
// The bytes are taken as they are, whatever their encoding.
Text DroppedForm(const char* arg) {
  std::error_code ec;
  std::filesystem::path path = std::filesystem::absolute(arg, ec);
  if (ec) path = arg;
  Text text = path.lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

// Runs the window until it is closed; scans still running then are not waited for.
int ProgramStart(int& argc, char** argv) {
  // Never destroyed: scans may still be running when the program ends.
  auto* app = new QApplication(argc, argv);  // takes Qt's own options out of argv
  auto* window = new ui::MainWindow(ui::DefaultWindowOptions());
  if (argc > 1) {
    TextList folders;
    for (int i = 1; i < argc; ++i) folders.push_back(DroppedForm(argv[i]));
    window->OnFileReceived(ui::FileReceivedText(folders));
  }
  window->show();
  app->exec();
  return 0;
}

void OnProgramExit() {
  // Waits for a log record being written and refuses later ones: the log is never cut short.
  Platform::Default().StopAppends();
}

}  // namespace
}  // namespace quarnel

int main(int argc, char** argv) {
  const int status = quarnel::ProgramStart(argc, argv);
  quarnel::OnProgramExit();
  std::fflush(nullptr);
  // Running scans end with the process; ending it here runs no static destructor under them.
  std::_Exit(status);
}
