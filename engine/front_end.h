// What a scan needs of the user's side: the signature text, the results view, notices and the
// desktop's "open". Each front end (window, terminal) implements it; the job calls it on the
// worker thread.
#ifndef QUARNEL_ENGINE_FRONT_END_H_
#define QUARNEL_ENGINE_FRONT_END_H_

#include <cstdint>

#include "engine/text.h"

namespace quarnel {

class ScanFrontEnd {
 public:
  virtual ~ScanFrontEnd() = default;

  // The signature text as it is at the moment of the call, lines separated by "\r\n".
  virtual Text ReadSignatureText() = 0;

  // Adds text at the end of the results view, scrolled into view, not undoable.
  virtual void AppendToResults(const Text& text) = 0;

  // Shows a notice with one OK button; returns when the user has closed it.
  virtual void ShowNotice(const Text& text) = 0;

  // Opens the file with the desktop's handler for its type; does not wait, reports nothing.
  virtual void OpenWithShell(const Text& path) = 0;

  // A number that changes whenever the signature text may have changed since the last read; the
  // job reads the text anew only when it moved. The default says "may have changed" every time.
  virtual uint64_t SignatureRevision() { return ++default_revision_; }

  // True once the user's side is gone (the window closed): the job then stops quietly, without
  // notice or log opening.
  virtual bool IsClosed() { return false; }

 private:
  uint64_t default_revision_ = 0;
};

// Optional progress reports for a terminal; all called on the worker thread, in list order.
class ScanProgress {
 public:
  virtual ~ScanProgress() = default;
  // The listing is complete.
  virtual void OnListed(size_t /*files*/) {}
  // One more file has been examined; bytes is its size as read.
  virtual void OnExamined(uint64_t /*bytes*/) {}
  // A hit's log record could not be written (the hit is still in the results).
  virtual void OnLogWriteFailed(const Text& /*path*/) {}
};

}  // namespace quarnel

#endif  // QUARNEL_ENGINE_FRONT_END_H_
