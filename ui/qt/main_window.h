// The desktop window: the controls of the window description, the whole window as drop area, and
// the start button that scans the last dropped folder on a worker thread of its own.
#ifndef QUARNEL_UI_QT_MAIN_WINDOW_H_
#define QUARNEL_UI_QT_MAIN_WINDOW_H_

#include <functional>
#include <memory>

#include <QString>
#include <QWidget>

#include "engine/text.h"
#include "ui/qt/window_front_end.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quarnel::ui {

class DropObject;

// What the window does outside itself; tests put their own in place of the real ones.
struct WindowOptions {
  // Where the window's scans append hit records; empty writes none.
  Text log_path;
  // The start button's notice: caption, text and one OK button; the window takes no input until
  // it has been closed, and it returns then.
  std::function<void(QWidget* window, const QString& caption, const QString& text)>
      show_modal_notice;
  // Opens a file with the desktop's handler for its type; does not wait, reports nothing.
  std::function<void(const Text& path)> open_with_shell;
};

// The real ones: list_log.txt beside the executable, a modal message box, the desktop's "open".
WindowOptions DefaultWindowOptions();

// Deletes itself when closed. Every member function runs on the UI thread only; scans reach the
// window through link().
class MainWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MainWindow(WindowOptions options);
  ~MainWindow() override;

  // Keeps a copy of a drop's text as the folder for later scans, whatever it names.
  void OnFileReceived(const Text& text);
  const Text& dropped_path() const { return dropped_path_; }

  // The signature box's text with "\r\n" line breaks, in the locale's encoding.
  Text SignatureText() const;
  // Adds text (in the locale's encoding; "\r\n" breaks a line) at the end of the results box,
  // moves the caret after it and scrolls it into view. Not undoable.
  void AppendResult(const Text& text);
  // Shows a notice that leaves the window usable; done is released once it is closed.
  void ShowNotice(const Text& text, std::shared_ptr<WindowLink::Done> done);
  void OpenWithShell(const Text& path);

  const std::shared_ptr<WindowLink>& link() const { return link_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private slots:
  void OnStartClicked();

 private:
  void CreateControls();
  // After every control exists, before the window is first shown.
  void OnWindowCreated();

  const WindowOptions options_;
  const std::shared_ptr<WindowLink> link_;
  Text dropped_path_;
  QPlainTextEdit* results_box_ = nullptr;
  QPlainTextEdit* signature_box_ = nullptr;
  QPushButton* start_button_ = nullptr;
  DropObject* drop_object_ = nullptr;
};

}  // namespace quarnel::ui

#endif  // QUARNEL_UI_QT_MAIN_WINDOW_H_
