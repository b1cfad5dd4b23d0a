#include "ui/qt/drop_object.h"

#include <algorithm>

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "engine/scan_job.h"

namespace quarnel::ui {
namespace {

// X11 sources offer plain text under several names ("text/plain;charset=utf-8", ...).
bool OffersPlainText(const QMimeData& data) {
  const QStringList formats = data.formats();
  return std::any_of(formats.begin(), formats.end(),
                     [](const QString& f) { return f.startsWith(QLatin1String("text/plain")); });
}

bool OffersOtherUrls(const QMimeData& data) {
  const QList<QUrl> urls = data.urls();
  return std::any_of(urls.begin(), urls.end(), [](const QUrl& u) { return !u.isLocalFile(); });
}

Text ToText(const QString& s) { return BytesToText(s.toLocal8Bit().toStdString()); }

}  // namespace

DropObject::DropObject(DropSettings settings, QObject* parent)
    : QObject(parent), settings_(settings) {}

bool DropObject::RegisterDropWindow(QWidget* window) {
  if (window_ != nullptr || window == nullptr) return false;
  window_ = window;
  // Qt hands a drag to the deepest widget under the pointer that takes drops; with none of the
  // children taking them, the window gets every drag, over its labels, boxes and button alike.
  for (QWidget* child : window->findChildren<QWidget*>()) child->setAcceptDrops(false);
  window->setAcceptDrops(true);
  window->installEventFilter(this);
  return true;
}

bool DropObject::eventFilter(QObject* watched, QEvent* event) {
  if (watched != window_) return false;
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      // QDragEnterEvent derives from QDragMoveEvent. Every answer is set here in full: Qt
      // pre-accepts a move with the action of the last one.
      auto* drag = static_cast<QDragMoveEvent*>(event);
      const bool entering = event->type() == QEvent::DragEnter;
      if (entering) drag_accepted_ = Accepts(*drag->mimeData());
      const Qt::DropAction effect = drag_accepted_
                                        ? DropEffect(drag->modifiers(), drag->possibleActions())
                                        : Qt::IgnoreAction;
      drag->setDropAction(effect);
      // Qt sends moves and the drop only after an accepted entry, so the entry is accepted for
      // the data alone, even while the keys give no effect. What the source sees is the move's
      // answer, accepted only with an effect.
      drag->setAccepted(entering ? drag_accepted_ : effect != Qt::IgnoreAction);
      return true;
    }
    case QEvent::DragLeave:
      return true;
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      if (drag_accepted_ &&
          DropEffect(drop->modifiers(), drop->possibleActions()) != Qt::IgnoreAction) {
        RaiseEvents(*drop->mimeData());
      }
      // Whatever the cursor showed, the source hears that nothing was dropped: it then never
      // deletes the originals, as it would after a move.
      drop->setDropAction(Qt::IgnoreAction);
      drop->ignore();
      return true;
    }
    default:
      return false;
  }
}

bool DropObject::Accepts(const QMimeData& data) const {
  return (settings_.accept_text && OffersPlainText(data)) ||
         (settings_.accept_html && data.hasHtml()) ||
         (settings_.accept_url && OffersOtherUrls(data)) ||
         (settings_.accept_files && !LocalFilePaths(data).empty());
}

void DropObject::RaiseEvents(const QMimeData& data) {
  // A handler may end the window, and this object with it.
  const QPointer<DropObject> alive(this);
  if (settings_.accept_text && OffersPlainText(data) && !data.hasHtml()) {
    emit TextReceived(ToText(data.text()));
  }
  if (alive && settings_.accept_html && data.hasHtml()) emit HtmlReceived(ToText(data.html()));
  if (alive && settings_.accept_url && OffersOtherUrls(data)) {
    TextList urls;
    for (const QUrl& url : data.urls()) {
      if (!url.isLocalFile()) urls.push_back(BytesToText(url.toEncoded().toStdString()));
    }
    emit UrlReceived(FileReceivedText(urls));
  }
  if (alive && settings_.accept_files) {
    const TextList paths = LocalFilePaths(data);
    if (!paths.empty()) emit FileReceived(FileReceivedText(paths));
  }
}

Qt::DropAction DropEffect(Qt::KeyboardModifiers keys, Qt::DropActions allowed) {
  const bool ctrl = keys.testFlag(Qt::ControlModifier);
  const bool shift = keys.testFlag(Qt::ShiftModifier);
  if (ctrl && shift) return Qt::IgnoreAction;
  if (ctrl) return allowed.testFlag(Qt::CopyAction) ? Qt::CopyAction : Qt::IgnoreAction;
  if (shift) return allowed.testFlag(Qt::MoveAction) ? Qt::MoveAction : Qt::IgnoreAction;
  for (const Qt::DropAction action : {Qt::CopyAction, Qt::MoveAction, Qt::LinkAction}) {
    if (allowed.testFlag(action)) return action;
  }
  return Qt::IgnoreAction;
}

Text FileReceivedText(const TextList& paths) {
  if (paths.size() == 1) return paths.front();
  Text text;
  for (const Text& path : paths) text += path + std::string(kLineBreak);
  return text;
}

TextList LocalFilePaths(const QMimeData& data) {
  TextList paths;
  for (const QUrl& url : data.urls()) {
    if (!url.isLocalFile()) continue;
    // The percent-encoded path decodes to the file system's own bytes, also for names that are
    // not valid UTF-8 (QUrl keeps those encoded), which a QString would garble.
    QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (!url.host().isEmpty()) path.prepend("//" + url.host().toUtf8());
    const Text text = BytesToText(path.toStdString());
    if (!text.empty()) paths.push_back(text);
  }
  return paths;
}

}  // namespace quarnel::ui
