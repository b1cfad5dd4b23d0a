// The drop object: makes a whole window the drop area for dragged files, plain text and HTML, and
// turns each drop into events carrying a Text. It never tells the drag source that the drop took
// place, so a file manager never moves or deletes what was dropped.
//
// Everything here runs on the UI thread.
#ifndef QUARNEL_UI_QT_DROP_OBJECT_H_
#define QUARNEL_UI_QT_DROP_OBJECT_H_

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "engine/text.h"

class QMimeData;

namespace quarnel::ui {

// The kinds of dragged data a drop object accepts.
struct DropSettings {
  bool accept_text = true;   // text/plain
  bool accept_html = true;   // text/html
  bool accept_url = false;   // URLs that are not local files
  bool accept_files = true;  // local file URLs (a file manager's drag)
};

class DropObject : public QObject {
  Q_OBJECT

 public:
  explicit DropObject(DropSettings settings, QObject* parent = nullptr);

  // Makes the whole of window, over every child it has now, the drop area: the children stop
  // taking drops themselves. True on success; false, changing nothing, when a window is already
  // registered or window is null.
  bool RegisterDropWindow(QWidget* window);

 signals:
  // Raised in this order inside one drop, each only when its kind is accepted and offered.
  // TextReceived only when the data offers no HTML.
  void TextReceived(const quarnel::Text& text);
  void HtmlReceived(const quarnel::Text& html);
  void UrlReceived(const quarnel::Text& urls);
  // Once per drop of files: see FileReceivedText.
  void FileReceived(const quarnel::Text& paths);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // True when the data offers at least one accepted kind.
  bool Accepts(const QMimeData& data) const;
  void RaiseEvents(const QMimeData& data);

  const DropSettings settings_;
  QPointer<QWidget> window_;
  // Whether the drag under way offered an accepted kind when it entered.
  bool drag_accepted_ = false;
};

// The effect of an accepted drag from the held keys and the actions the source allows: no key,
// the first allowed of copy, move and link; Ctrl, copy; Shift, move; Ctrl and Shift, none.
// Qt::IgnoreAction stands for none. Other keys do not count.
Qt::DropAction DropEffect(Qt::KeyboardModifiers keys, Qt::DropActions allowed);

// The text of a drop of files: one path alone; several, each followed by "\r\n"; none, empty.
Text FileReceivedText(const TextList& paths);

// The local file paths among the data's URLs, in their order, as the file system's bytes.
TextList LocalFilePaths(const QMimeData& data);

}  // namespace quarnel::ui

#endif  // QUARNEL_UI_QT_DROP_OBJECT_H_
