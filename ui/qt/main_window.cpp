#include "ui/qt/main_window.h"

#include <system_error>
#include <thread>

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include "engine/file_ops.h"
#include "ui/qt/drop_object.h"
#include "ui/window_description.h"

namespace quarnel::ui {
namespace {

QString FromUtf8(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QString Caption() { return FromUtf8(kCaptionStart.utf8) + FromUtf8(kSupportContact); }

// Black on white, a thin single line around it, wrapping at its edge, no scroll bars, and no
// selection drawn while it does not have the focus.
QPlainTextEdit* NewEditBox(QWidget* parent) {
  auto* box = new QPlainTextEdit(parent);
  box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  box->setFrameStyle(QFrame::Box | QFrame::Plain);
  box->setLineWidth(1);
  QPalette palette = box->palette();
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Text, Qt::black);
  palette.setColor(QPalette::WindowText, Qt::black);  // the border line
  palette.setColor(QPalette::Inactive, QPalette::Highlight, Qt::white);
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
  box->setPalette(palette);
  return box;
}

QLabel* NewLabel(const ControlDescription& control, QWidget* parent) {
  auto* label = new QLabel(FromUtf8(control.initial_text.utf8), parent);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, Qt::black);
  if (control.name.utf8 == kDropLabel.utf8) {
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    palette.setColor(QPalette::Window, QColor(kDropLabelRed, kDropLabelGreen, kDropLabelBlue));
  } else {
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  }
  label->setPalette(palette);
  return label;
}

// The signature box holds "\n" where the text has "\r\n".
QString BoxText(std::string_view text) {
  return FromUtf8(text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

}  // namespace

WindowOptions DefaultWindowOptions() {
  WindowOptions options;
  options.log_path = DefaultLogPath();
  options.show_modal_notice = [](QWidget* window, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, window);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
  };
  options.open_with_shell = [](const Text& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path))));
  };
  return options;
}

MainWindow::MainWindow(WindowOptions options)
    : options_(std::move(options)), link_(std::make_shared<WindowLink>(this)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(Caption());
  setFixedSize(kClientWidth, kClientHeight);
  CreateControls();
  OnWindowCreated();
  // Centred on the primary screen by the outer size, which the frame's real size may differ from.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect whole = screen->geometry();
    move(whole.x() + (whole.width() - kWindowOuterWidth) / 2,
         whole.y() + (whole.height() - kWindowOuterHeight) / 2);
  }
}

MainWindow::~MainWindow() { link_->Close(); }

void MainWindow::CreateControls() {
  for (const ControlDescription& control : kControls) {
    QWidget* widget = nullptr;
    switch (control.kind) {
      case ControlKind::kEdit: {
        QPlainTextEdit* box = NewEditBox(this);
        if (control.name.utf8 == kSignatureBox.utf8) {
          box->setPlainText(BoxText(kDefaultSignatureText));
          signature_box_ = box;
        } else {
          box->setPlainText(BoxText(control.initial_text.utf8));
          results_box_ = box;
        }
        widget = box;
        break;
      }
      case ControlKind::kLabel:
        widget = NewLabel(control, this);
        break;
      case ControlKind::kButton:
        start_button_ = new QPushButton(FromUtf8(control.initial_text.utf8), this);
        start_button_->setAutoDefault(false);
        widget = start_button_;
        break;
      case ControlKind::kDropObject:
        drop_object_ = new DropObject(DropSettings{}, this);
        drop_object_->setObjectName(FromUtf8(control.name.utf8));
        break;
      case ControlKind::kCommonDialog:
        break;  // never used: nothing to make
    }
    if (widget == nullptr) continue;
    widget->setObjectName(FromUtf8(control.name.utf8));
    widget->setGeometry(control.left, control.top, control.width, control.height);
    widget->setFocusPolicy(control.tab_stop ? Qt::StrongFocus : Qt::NoFocus);
    widget->setVisible(control.visible);
  }

  connect(start_button_, &QPushButton::clicked, this, &MainWindow::OnStartClicked);
  connect(drop_object_, &DropObject::FileReceived, this, &MainWindow::OnFileReceived);
  // Scans read the box again only when this moved, without asking the UI thread.
  connect(signature_box_->document(), &QTextDocument::contentsChanged, this,
          [link = link_] { link->signature_revision.fetch_add(1, std::memory_order_release); });
}

void MainWindow::OnWindowCreated() {
  // A window that cannot take drops still works; nothing is reported.
  (void)drop_object_->RegisterDropWindow(this);
}

void MainWindow::OnFileReceived(const Text& text) { dropped_path_ = text; }

void MainWindow::OnStartClicked() {
  if (CompareText(dropped_path_, "") == 0) {
    options_.show_modal_notice(this, FromUtf8(kNoticeCaption.utf8), FromUtf8(kNoFolderNotice.utf8));
    return;
  }
  link_->running_scans.fetch_add(1);
  try {
    // The worker gets its own copy of the folder: a later drop changes only later scans.
    std::thread(ScanThreadEntry, link_, dropped_path_, options_.log_path).detach();
  } catch (const std::system_error&) {
    link_->running_scans.fetch_sub(1);  // no thread: the press has no effect, and says nothing
  }
}

Text MainWindow::SignatureText() const {
  // The raw text keeps what toPlainText() would change (no-break spaces); its block and line
  // separators are the box's line breaks.
  QString text = signature_box_->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
  text.replace(QChar::LineSeparator, QLatin1String("\r\n"));
  return BytesToText(text.toLocal8Bit().toStdString());
}

void MainWindow::AppendResult(const Text& text) {
  QTextDocument* document = results_box_->document();
  QTextCursor cursor(document);
  cursor.movePosition(QTextCursor::End);
  // Turning undo off and on again also empties the box's undo history, so that no undo step can
  // reach across the addition.
  document->setUndoRedoEnabled(false);
  cursor.insertText(QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()))
                        .replace(QLatin1String("\r\n"), QLatin1String("\n")));
  document->setUndoRedoEnabled(true);
  results_box_->setTextCursor(cursor);
  results_box_->ensureCursorVisible();
}

void MainWindow::ShowNotice(const Text& text, std::shared_ptr<WindowLink::Done> done) {
  auto* box = new QMessageBox(QMessageBox::NoIcon, FromUtf8(kNoticeCaption.utf8),
                              QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())),
                              QMessageBox::Ok, this);
  box->setWindowModality(Qt::NonModal);  // QMessageBox makes itself modal otherwise
  box->setAttribute(Qt::WA_DeleteOnClose);
  // The connection keeps done until the box is destroyed: closed, or gone with the window.
  connect(box, &QObject::destroyed, [done = std::move(done)] {});
  box->show();
}

void MainWindow::OpenWithShell(const Text& path) { options_.open_with_shell(path); }

void MainWindow::closeEvent(QCloseEvent* event) {
  link_->Close();
  QWidget::closeEvent(event);
}

}  // namespace quarnel::ui
