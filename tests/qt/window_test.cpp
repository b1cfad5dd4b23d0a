// The desktop window on the offscreen platform: its description, drops sent as real drag-and-drop
// events through the window's QWindow (so Qt picks the target widget as for a real drag), the
// start button, scans with their results, log and notice, and closing the window mid-scan.
#include <thread>

#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include "engine/platform/system_texts.h"
#include "tests/test_util.h"
#include "ui/qt/drop_object.h"
#include "ui/qt/main_window.h"
#include "ui/window_description.h"

namespace quarnel::ui {
namespace {

using testing_util::ReadBytes;
using testing_util::ReadOrder;
using testing_util::TempDir;

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
QString Q(const LocalText& t) { return Q(t.utf8); }

// Everything the window did outside itself.
struct Outside {
  QList<QPair<QString, QString>> modal_notices;  // caption, text
  std::vector<Text> opened;
};

// What a drag and its drop answered. For a move, the action is what Qt hands the platform for the
// source: the event's action when it was accepted, none otherwise. For the drop, both as set.
struct DragAnswers {
  bool enter_accepted = false;
  Qt::DropAction enter_action = Qt::IgnoreAction;
  bool move_accepted = false;
  Qt::DropAction move_action = Qt::IgnoreAction;
  bool drop_accepted = false;
  Qt::DropAction drop_action = Qt::IgnoreAction;
};

// keys are held on entry, later_keys while moving and at the drop.
DragAnswers DragAndDrop(QWidget* window, const QMimeData& data, QPoint pos, Qt::DropActions allowed,
                        Qt::KeyboardModifiers keys, Qt::KeyboardModifiers later_keys) {
  QWindow* target = window->windowHandle();
  DragAnswers answers;
  QDragEnterEvent enter(pos, allowed, &data, Qt::LeftButton, keys);
  QCoreApplication::sendEvent(target, &enter);
  answers.enter_accepted = enter.isAccepted();
  answers.enter_action = enter.dropAction();
  QDragMoveEvent move(pos + QPoint(1, 1), allowed, &data, Qt::LeftButton, later_keys);
  QCoreApplication::sendEvent(target, &move);
  answers.move_accepted = move.isAccepted();
  answers.move_action = move.isAccepted() ? move.dropAction() : Qt::IgnoreAction;
  QDropEvent drop(QPointF(pos + QPoint(1, 1)), allowed, &data, Qt::LeftButton, later_keys);
  QCoreApplication::sendEvent(target, &drop);
  answers.drop_accepted = drop.isAccepted();
  answers.drop_action = drop.dropAction();
  return answers;
}

std::unique_ptr<QMimeData> Files(const QStringList& paths) {
  auto data = std::make_unique<QMimeData>();
  QList<QUrl> urls;
  for (const QString& path : paths) urls.push_back(QUrl::fromLocalFile(path));
  data->setUrls(urls);
  return data;
}

// The visible completion notices of a window.
QList<QMessageBox*> Notices(QWidget* window) {
  QList<QMessageBox*> boxes;
  for (QMessageBox* box : window->findChildren<QMessageBox*>()) {
    if (box->isVisible()) boxes.push_back(box);
  }
  return boxes;
}

std::vector<std::string> LogRecords(const std::string& log) {
  // Every record is "\r\n" + path; splitting at "\r\n" leaves an empty first piece.
  std::vector<std::string> records;
  size_t at = 0;
  while ((at = log.find("\r\n", at)) != std::string::npos) {
    at += 2;
    const size_t next = log.find("\r\n", at);
    records.push_back(log.substr(at, next == std::string::npos ? std::string::npos : next - at));
  }
  return records;
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private:
  // A shown window whose log, notices and "open" stay inside the test.
  MainWindow* NewWindow() {
    WindowOptions options;
    options.log_path = log_path_;
    options.show_modal_notice = [this](QWidget*, const QString& caption, const QString& text) {
      outside_.modal_notices.push_back({caption, text});
    };
    options.open_with_shell = [this](const Text& path) { outside_.opened.push_back(path); };
    window_ = new MainWindow(std::move(options));
    link_ = window_->link();
    window_->show();
    if (!QTest::qWaitForWindowExposed(window_)) qFatal("window not exposed");
    return window_;
  }

  template <class T = QWidget>
  T* Control(const LocalText& name) {
    return window_->findChild<T*>(Q(name));
  }

  QPlainTextEdit* Results() { return Control<QPlainTextEdit>(kResultsBox); }
  QPlainTextEdit* Signatures() { return Control<QPlainTextEdit>(kSignatureBox); }
  void PressStart() { QTest::mouseClick(Control<QPushButton>(kStartButton), Qt::LeftButton); }

  void DropFolder(const std::string& folder) {
    const auto data = Files({QString::fromStdString(folder)});
    DragAndDrop(window_, *data, QPoint(300, 150), Qt::CopyAction | Qt::MoveAction, Qt::NoModifier,
                Qt::NoModifier);
    QCOMPARE(window_->dropped_path(), folder);
  }

  // Closes every completion notice as it comes until n have been closed.
  void CloseNotices(int n) {
    for (int closed = 0; closed < n;) {
      QTRY_VERIFY(!Notices(window_).isEmpty());
      for (QMessageBox* box : Notices(window_)) {
        box->button(QMessageBox::Ok)->click();
        ++closed;
      }
    }
  }

  std::unique_ptr<TempDir> tmp_;
  std::string log_path_;
  Outside outside_;
  QPointer<MainWindow> window_;
  std::shared_ptr<WindowLink> link_;

 private slots:
  void init() {
    tmp_ = std::make_unique<TempDir>();
    log_path_ = tmp_->Join("list_log.txt");
    outside_ = Outside();
    NewWindow();
  }

  void cleanup() {
    delete window_;
    // No scan may outlive the test's folders.
    QTRY_COMPARE(link_->running_scans.load(), 0);
    link_.reset();
    tmp_.reset();
  }

  void windowDescription() {
    QCOMPARE(window_->size(), QSize(kClientWidth, kClientHeight));
    QCOMPARE(window_->minimumSize(), window_->maximumSize());
    const Qt::WindowFlags flags = window_->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QCOMPARE(window_->windowTitle(), Q(kCaptionStart) + Q(kSupportContact));
    QCOMPARE(window_->windowTitle(), QString::fromUtf8("Quarnel  -使用帮助联系") + Q(kSupportContact));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(window_->pos(), QPoint((screen.width() - kWindowOuterWidth) / 2,
                                    (screen.height() - kWindowOuterHeight) / 2));

    for (const ControlDescription& control : kControls) {
      const QString name = Q(control.name);
      if (control.kind == ControlKind::kDropObject) {
        QVERIFY2(window_->findChild<DropObject*>(name) != nullptr, qPrintable(name));
        continue;
      }
      if (control.kind == ControlKind::kCommonDialog) continue;  // never used, so never made
      QWidget* widget = window_->findChild<QWidget*>(name);
      QVERIFY2(widget != nullptr, qPrintable(name));
      QCOMPARE(widget->geometry(), QRect(control.left, control.top, control.width, control.height));
      QVERIFY(widget->isVisible());
      QCOMPARE(widget->focusPolicy() != Qt::NoFocus, control.tab_stop);
      if (auto* label = qobject_cast<QLabel*>(widget)) QCOMPARE(label->text(), Q(control.initial_text));
      if (auto* button = qobject_cast<QPushButton*>(widget)) {
        QCOMPARE(button->text(), Q("开始查杀"));
        QVERIFY(!button->isDefault() && !button->autoDefault());
      }
    }

    auto* drop_label = Control<QLabel>(kDropLabel);
    QCOMPARE(drop_label->text(), Q("请拖放检测的文件夹到这里"));
    QCOMPARE(drop_label->alignment(), Qt::AlignCenter);
    QVERIFY(drop_label->autoFillBackground());
    QCOMPARE(drop_label->palette().color(QPalette::Window), QColor(255, 128, 192));
    QCOMPARE(drop_label->grab().toImage().pixelColor(2, 2), QColor(255, 128, 192));
    QCOMPARE(Control<QLabel>(kHeadingLabel)->text(), Q("木马特征字符串"));

    for (QPlainTextEdit* box : {Results(), Signatures()}) {
      QCOMPARE(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
      QCOMPARE(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
      QCOMPARE(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
      QCOMPARE(box->frameShape(), QFrame::Box);
      QCOMPARE(box->frameShadow(), QFrame::Plain);
      QCOMPARE(box->lineWidth(), 1);
      QVERIFY(!box->isReadOnly());
      QCOMPARE(box->palette().color(QPalette::Base), QColor(Qt::white));
      QCOMPARE(box->palette().color(QPalette::Text), QColor(Qt::black));
      QCOMPARE(box->textCursor().position(), 0);
      QVERIFY(!box->textCursor().hasSelection());
    }
    QCOMPARE(Results()->toPlainText(), QString());
    const Text signatures = window_->SignatureText();
    QCOMPARE(signatures.size(), size_t{119});
    QCOMPARE(signatures, Text(kDefaultSignatureText));
    QCOMPARE(Signatures()->toPlainText().split('\n').size(), 8);
  }

  void typedSignaturesReadBackWithCrLf() {
    QPlainTextEdit* box = Signatures();
    const uint64_t before = link_->signature_revision.load();
    box->moveCursor(QTextCursor::End);
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClicks(box, "abc");
    QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier);  // a line separator inside the box
    QTest::keyClicks(box, "a very long signature line that wraps at the edge of the box");
    QCOMPARE(window_->SignatureText(),
             Text(kDefaultSignatureText) +
                 "\r\nabc\r\na very long signature line that wraps at the edge of the box");
    QVERIFY(link_->signature_revision.load() > before);
  }

  void workerReadsTheBoxThroughTheUiThread() {
    Text read;
    std::atomic<bool> done{false};
    std::thread worker([&] {
      WindowFrontEnd front_end(link_);
      read = front_end.ReadSignatureText();
      front_end.AppendToResults("\r\n/from/worker");
      done = true;
    });
    QTRY_VERIFY(done.load());
    worker.join();
    QCOMPARE(read, Text(kDefaultSignatureText));
    QCOMPARE(Results()->toPlainText(), Q("\n/from/worker"));
    QVERIFY(Results()->textCursor().atEnd());
    QVERIFY(!Results()->document()->isUndoAvailable());
  }

  void closedLinkAnswersAtOnce() {
    link_->Close();
    WindowFrontEnd front_end(link_);
    QVERIFY(front_end.IsClosed());
    QCOMPARE(front_end.ReadSignatureText(), Text());  // from the UI thread: would hang if it waited
  }

  void secondRegistrationFails() {
    auto* drop = window_->findChild<DropObject*>(Q(kDropObject));
    QVERIFY(!drop->RegisterDropWindow(window_));
    QWidget other;
    QVERIFY(!drop->RegisterDropWindow(&other));
    QVERIFY(!other.acceptDrops());
    DropObject fresh(DropSettings{});
    QVERIFY(!fresh.RegisterDropWindow(nullptr));
    QVERIFY(fresh.RegisterDropWindow(&other));
  }

  void dropEffect_data() {
    QTest::addColumn<int>("keys");
    QTest::addColumn<int>("allowed");
    QTest::addColumn<int>("effect");
    const int all = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    const int ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
    QTest::newRow("none, all") << 0 << all << int(Qt::CopyAction);
    QTest::newRow("none, move link") << 0 << int(Qt::MoveAction | Qt::LinkAction) << int(Qt::MoveAction);
    QTest::newRow("none, link") << 0 << int(Qt::LinkAction) << int(Qt::LinkAction);
    QTest::newRow("none, nothing") << 0 << 0 << int(Qt::IgnoreAction);
    QTest::newRow("ctrl, all") << ctrl << all << int(Qt::CopyAction);
    QTest::newRow("ctrl, move") << ctrl << int(Qt::MoveAction) << int(Qt::IgnoreAction);
    QTest::newRow("shift, all") << shift << all << int(Qt::MoveAction);
    QTest::newRow("shift, copy") << shift << int(Qt::CopyAction) << int(Qt::IgnoreAction);
    QTest::newRow("ctrl shift, all") << int(ctrl | shift) << all << int(Qt::IgnoreAction);
    QTest::newRow("alt, all") << int(Qt::AltModifier) << all << int(Qt::CopyAction);
  }

  void dropEffect() {
    QFETCH(int, keys);
    QFETCH(int, allowed);
    QFETCH(int, effect);
    QCOMPARE(int(DropEffect(Qt::KeyboardModifiers(keys), Qt::DropActions(allowed))), effect);
  }

  void drops_data() {
    QTest::addColumn<QString>("kind");  // which data the drag offers
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<int>("allowed");
    QTest::addColumn<int>("keys");       // held on entry
    QTest::addColumn<int>("later_keys"); // held while moving and at the drop
    QTest::addColumn<bool>("accepted");  // the data, on entry
    QTest::addColumn<int>("effect");     // shown while moving
    QTest::addColumn<QStringList>("events");  // raised by the drop
    const int copy_move = Qt::CopyAction | Qt::MoveAction;
    const int none = Qt::NoModifier, ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
    const int copy = Qt::CopyAction, move = Qt::MoveAction, no_effect = Qt::IgnoreAction;
    const QPoint label(300, 150), signatures(50, 100), results(100, 300), button(330, 55);
    const QStringList www{"file:/www"};
    const auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };
    row("one folder") << "folder" << label << copy_move << none << none << true << copy << www;
    row("over the signature box") << "folder" << signatures << copy_move << none << none << true
                                  << copy << www;
    row("over the results box") << "folder" << results << copy_move << none << none << true << copy
                                << www;
    row("over the button") << "folder" << button << copy_move << none << none << true << copy << www;
    row("two items") << "two" << label << copy_move << none << none << true << copy
                     << QStringList{"file:/www/a.php\r\n/www/b\r\n"};
    row("name not UTF-8") << "latin1" << label << copy_move << none << none << true << copy
                          << QStringList{"file:/www/\\xb0a"};
    row("file and web URL") << "mixed" << label << copy_move << none << none << true << copy << www;
    row("text") << "text" << label << copy_move << none << none << true << copy
                << QStringList{"text:hello"};
    row("html") << "html" << label << copy_move << none << none << true << copy
                << QStringList{"html:<b>hi</b>"};
    row("text and html") << "text+html" << label << copy_move << none << none << true << copy
                         << QStringList{"html:<b>hi</b>"};
    row("web URL only") << "url" << label << copy_move << none << none << false << no_effect
                        << QStringList{};
    row("nothing known") << "other" << label << copy_move << none << none << false << no_effect
                         << QStringList{};
    row("ctrl") << "folder" << label << copy_move << ctrl << ctrl << true << copy << www;
    row("shift moves, the source keeps it") << "folder" << label << copy_move << shift << shift
                                            << true << move << www;
    row("source only moves") << "folder" << label << move << none << none << true << move << www;
    row("ctrl shift") << "folder" << label << copy_move << (ctrl | shift) << (ctrl | shift) << true
                      << no_effect << QStringList{};
    row("ctrl shift let go after entry") << "folder" << label << copy_move << (ctrl | shift) << none
                                         << true << copy << www;
    row("ctrl, source only moves") << "folder" << label << move << ctrl << ctrl << true << no_effect
                                   << QStringList{};
  }

  void drops() {
    QFETCH(QString, kind);
    QFETCH(QPoint, pos);
    QFETCH(int, allowed);
    QFETCH(int, keys);
    QFETCH(int, later_keys);
    QFETCH(bool, accepted);
    QFETCH(int, effect);
    QFETCH(QStringList, events);

    QMimeData data;
    if (kind == "folder") data.setUrls({QUrl::fromLocalFile("/www")});
    if (kind == "two") data.setUrls({QUrl::fromLocalFile("/www/a.php"), QUrl::fromLocalFile("/www/b")});
    if (kind == "latin1") data.setUrls({QUrl::fromEncoded("file:///www/%B0a")});
    if (kind == "mixed") data.setUrls({QUrl::fromLocalFile("/www"), QUrl("https://example.com/x")});
    if (kind == "url") data.setUrls({QUrl("https://example.com/x")});
    if (kind == "text" || kind == "text+html") data.setText("hello");
    if (kind == "html" || kind == "text+html") data.setHtml("<b>hi</b>");
    if (kind == "other") data.setData("application/octet-stream", "x");

    auto* drop = window_->findChild<DropObject*>(Q(kDropObject));
    QStringList raised;
    const auto record = [&raised](const char* what) {
      return [&raised, what](const Text& text) {
        // Bytes 0x80 and up are shown as \xNN, so that a path's exact bytes can be compared.
        QString shown = what;
        for (unsigned char c : text) {
          shown += c < 0x80 ? QString(QChar(c)) : QString("\\x%1").arg(c, 2, 16, QChar('0'));
        }
        raised.push_back(shown);
      };
    };
    connect(drop, &DropObject::TextReceived, this, record("text:"));
    connect(drop, &DropObject::HtmlReceived, this, record("html:"));
    connect(drop, &DropObject::UrlReceived, this, record("url:"));
    connect(drop, &DropObject::FileReceived, this, record("file:"));
    window_->OnFileReceived("/before");

    const DragAnswers answers =
        DragAndDrop(window_, data, pos, Qt::DropActions(allowed), Qt::KeyboardModifiers(keys),
                    Qt::KeyboardModifiers(later_keys));
    QCOMPARE(answers.enter_accepted, accepted);
    if (keys == later_keys) QCOMPARE(int(answers.enter_action), effect);
    QCOMPARE(answers.move_accepted, effect != Qt::IgnoreAction);
    QCOMPARE(int(answers.move_action), effect);
    // What the source hears: nothing was dropped, so it never deletes a moved original. (A drop
    // of refused data does not reach the window, and keeps Qt's own unaccepted proposal.)
    QVERIFY(!answers.drop_accepted);
    QVERIFY(answers.drop_action != Qt::MoveAction);
    if (accepted) QCOMPARE(answers.drop_action, Qt::IgnoreAction);
    QCOMPARE(raised, events);

    // Only a drop of files replaces the folder to scan.
    const bool files = std::any_of(events.begin(), events.end(),
                                   [](const QString& e) { return e.startsWith("file:"); });
    QCOMPARE(window_->dropped_path() != "/before", files);
    QCOMPARE(Results()->toPlainText(), QString());  // a drop shows nothing
  }

  void fileReceivedText() {
    QCOMPARE(FileReceivedText({}), Text());
    QCOMPARE(FileReceivedText({"/a"}), Text("/a"));
    QCOMPARE(FileReceivedText({"/a", "/b"}), Text("/a\r\n/b\r\n"));
  }

  void startWithNothingDropped() {
    PressStart();
    window_->OnFileReceived("");
    PressStart();
    const QPair<QString, QString> notice{Q("信息："), Q("请把要检测的目录托到这里")};
    QCOMPARE(outside_.modal_notices, (QList<QPair<QString, QString>>{notice, notice}));
    QCOMPARE(link_->running_scans.load(), 0);
  }

  void realStartNoticeIsModalWithOneOkButton() {
    // Looked at, then closed, from inside the notice's own event loop.
    QString title, text;
    QMessageBox::StandardButtons buttons;
    qsizetype button_count = 0;
    QMessageBox::Icon icon = QMessageBox::Information;
    Qt::WindowModality modality = Qt::NonModal;
    QTimer::singleShot(0, this, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      title = box->windowTitle();
      text = box->text();
      buttons = box->standardButtons();
      button_count = box->buttons().size();
      icon = box->icon();
      modality = box->windowModality();
      box->button(QMessageBox::Ok)->click();
    });
    DefaultWindowOptions().show_modal_notice(window_, Q("信息："), Q("请把要检测的目录托到这里"));
    QCOMPARE(title, Q("信息："));
    QCOMPARE(text, Q("请把要检测的目录托到这里"));
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(button_count, 1);
    QCOMPARE(icon, QMessageBox::NoIcon);
    QCOMPARE(modality, Qt::ApplicationModal);
  }

  void scanFromWindow() {
    const std::string a = tmp_->Write("www/a.php", "<?php eval($_POST['x']);");
    tmp_->Write("www/b.txt", "nothing here");
    const std::string c = tmp_->Write("www/sub/c.php", "@extract($_GET);");
    DropFolder(tmp_->Join("www"));
    PressStart();

    QTRY_COMPARE(Notices(window_).size(), 1);
    QMessageBox* notice = Notices(window_).front();
    QCOMPARE(notice->windowTitle(), Q("信息："));
    QCOMPARE(notice->text(), Q(kScanCompleteNotice));
    QCOMPARE(notice->standardButtons(), QMessageBox::Ok);
    QCOMPARE(notice->windowModality(), Qt::NonModal);
    QVERIFY(QApplication::activeModalWidget() == nullptr);  // the window stays usable

    QCOMPARE(Results()->toPlainText(), Q("\n" + a + "\n" + c));
    QVERIFY(Results()->textCursor().atEnd());
    QVERIFY(!Results()->document()->isUndoAvailable());
    QCOMPARE(ReadBytes(log_path_), "\r\n" + a + "\r\n" + c);
    QVERIFY(outside_.opened.empty());  // not before the notice is closed

    notice->button(QMessageBox::Ok)->click();
    QTRY_COMPARE(outside_.opened, std::vector<Text>{log_path_});
    QTRY_COMPARE(link_->running_scans.load(), 0);
  }

  void scanOfFolderWithoutFilesStillNoticesAndOpens() {
    tmp_->MakeFolder("empty");
    DropFolder(tmp_->Join("empty"));
    PressStart();
    CloseNotices(1);
    QTRY_COMPARE(outside_.opened, std::vector<Text>{log_path_});
    QVERIFY(!testing_util::Exists(log_path_));
  }

  void signatureEditDuringScanAppliesToLaterFiles() {
    for (const char* name : {"f0", "f1", "f2", "f3"}) tmp_->Write(std::string("t/") + name, "");
    const std::vector<std::string> order = ReadOrder(tmp_->Join("t"));
    QCOMPARE(order.size(), size_t{4});
    // In listing order: examined before the edit, the hit during which the edit happens, then
    // two files examined after it.
    tmp_->Write("t/" + order[0], "NEWSIG");
    tmp_->Write("t/" + order[1], "eval(");
    tmp_->Write("t/" + order[2], "NEWSIG");
    tmp_->Write("t/" + order[3], "plain");
    const std::string hit1 = tmp_->Join("t/" + order[1]);
    const std::string hit2 = tmp_->Join("t/" + order[2]);

    // The user types a new signature while the worker waits for its first hit to be shown.
    QPlainTextEdit* box = Signatures();
    QMetaObject::Connection typing;
    typing = connect(Results(), &QPlainTextEdit::textChanged, this, [&] {
      disconnect(typing);
      box->moveCursor(QTextCursor::End);
      QTest::keyClick(box, Qt::Key_Return);
      QTest::keyClicks(box, "NEWSIG");
    });
    DropFolder(tmp_->Join("t"));
    PressStart();
    CloseNotices(1);
    QCOMPARE(Results()->toPlainText(), Q("\n" + hit1 + "\n" + hit2));
    QCOMPARE(ReadBytes(log_path_), "\r\n" + hit1 + "\r\n" + hit2);
  }

  void twoScansAtOnceLoseNoRecord() {
    std::vector<std::string> paths;
    for (int i = 0; i < 60; ++i) paths.push_back(tmp_->Write("www/" + std::to_string(i) + ".php", "eval("));
    DropFolder(tmp_->Join("www"));
    PressStart();
    PressStart();
    CloseNotices(2);
    QTRY_COMPARE(outside_.opened.size(), size_t{2});

    std::vector<std::string> records = LogRecords(ReadBytes(log_path_));
    std::vector<std::string> expected;
    for (const std::string& path : paths) expected.insert(expected.end(), {path, path});
    std::sort(records.begin(), records.end());
    std::sort(expected.begin(), expected.end());
    QCOMPARE(records, expected);
    QCOMPARE(Results()->toPlainText().count('\n'), 120);
  }

  void closingTheWindowStopsTheScanQuietly() {
    std::vector<std::string> paths;
    for (int i = 0; i < 20; ++i) paths.push_back(tmp_->Write("www/" + std::to_string(i) + ".php", "eval("));
    // Closed while the worker waits for its first hit to be shown.
    bool closed_at_once = false;
    connect(Results(), &QPlainTextEdit::textChanged, window_.data(), [&] {
      window_->close();
      closed_at_once = link_->IsClosed();  // before the window is deleted
    });
    DropFolder(tmp_->Join("www"));
    PressStart();
    QTRY_VERIFY(window_.isNull());
    QVERIFY(closed_at_once);
    QTRY_COMPARE(link_->running_scans.load(), 0);
    QVERIFY(link_->IsClosed());
    // The hit being recorded still reaches the log, whole; nothing after it; no "open".
    const std::vector<std::string> records = LogRecords(ReadBytes(log_path_));
    QCOMPARE(records.size(), size_t{1});
    QVERIFY(std::find(paths.begin(), paths.end(), records.front()) != paths.end());
    QVERIFY(outside_.opened.empty());
  }

  void closingTheWindowReleasesAScanAtItsNotice() {
    tmp_->Write("www/a.php", "eval(");
    DropFolder(tmp_->Join("www"));
    PressStart();
    QTRY_COMPARE(Notices(window_).size(), 1);
    window_->close();
    QTRY_VERIFY(window_.isNull());
    QTRY_COMPARE(link_->running_scans.load(), 0);
    QVERIFY(outside_.opened.empty());
  }
};

}  // namespace quarnel::ui

QTEST_MAIN(quarnel::ui::WindowTest)
#include "window_test.moc"
