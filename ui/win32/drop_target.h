// 拖放对象1: the OLE drop target that turns a drop onto the registered window into events with a
// text. It never lets a drop take place as far as the source can tell, so a source never moves
// or deletes what was dropped. Everything here runs on the thread that registered the window.
#ifndef QUARNEL_UI_WIN32_DROP_TARGET_H_
#define QUARNEL_UI_WIN32_DROP_TARGET_H_

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <ole2.h>

#include <functional>

#include "engine/text.h"

namespace quarnel::win32 {

struct DropSettings {
  bool accept_text = false;   // CF_TEXT
  bool accept_html = false;   // "HTML Format"
  bool accept_url = false;    // "UniformResourceLocator"
  bool accept_files = false;  // CF_HDROP
};

// Each handler is optional; the text is only lent for the call.
struct DropEvents {
  std::function<void(const Text&)> text_received;
  std::function<void(const Text&)> html_received;
  std::function<void(const Text&)> url_received;
  std::function<void(const Text&)> file_received;
};

// The effect for the held keys (MK_CONTROL, MK_SHIFT in key_state) and the effects the source
// allows: none held picks the first allowed of copy, move, link; Ctrl copy, Shift move; both none.
DWORD DropEffectFor(DWORD key_state, DWORD allowed);

// The FileReceived text of a shell drop list: one path alone as it is, several each followed by
// "\r\n", none the empty text.
Text DroppedFilesText(HDROP drop);

class DropTarget final : public IDropTarget {
 public:
  // Reference-counted as COM wants: starts with one reference, which the creator releases.
  static DropTarget* Create(const DropSettings& settings, DropEvents events);

  // Registers this object as the drop target of window. False when a window is registered
  // already (that registration stays) or when OLE refuses (OLE not initialised on this thread).
  bool RegisterDropWindow(HWND window);

  // Withdraws the registration, if any; call before the window is destroyed.
  void RevokeDropWindow();

  HWND registered_window() const { return window_; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDropTarget
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD key_state, POINTL point,
                                      DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD key_state, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  // Raises the events, then answers E_FAIL with no effect, whatever happened.
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD key_state, POINTL point,
                                 DWORD* effect) override;

 private:
  DropTarget(const DropSettings& settings, DropEvents events);
  ~DropTarget() = default;

  bool Offers(IDataObject* data, CLIPFORMAT format) const;
  bool AcceptsAnyOf(IDataObject* data) const;
  // The bytes of an HGLOBAL text format up to its first zero byte; false when not handed over.
  bool GetText(IDataObject* data, CLIPFORMAT format, Text* text) const;
  bool GetFiles(IDataObject* data, Text* text) const;

  LONG references_ = 1;
  const DropSettings settings_;
  const DropEvents events_;
  const CLIPFORMAT html_format_;
  const CLIPFORMAT url_format_;
  HWND window_ = nullptr;
  bool registered_ = false;  // only a registration of ours is ever withdrawn
  bool drag_accepted_ = false;
};

}  // namespace quarnel::win32

#endif  // QUARNEL_UI_WIN32_DROP_TARGET_H_
