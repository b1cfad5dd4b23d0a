#include "ui/win32/drop_target.h"

#include <shellapi.h>

#include <string>

namespace quarnel::win32 {
namespace {

FORMATETC HGlobalFormat(CLIPFORMAT format) {
  return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

CLIPFORMAT RegisteredFormat(const char* name) {
  return static_cast<CLIPFORMAT>(::RegisterClipboardFormatA(name));
}

}  // namespace

DWORD DropEffectFor(DWORD key_state, DWORD allowed) {
  const bool ctrl = (key_state & MK_CONTROL) != 0;
  const bool shift = (key_state & MK_SHIFT) != 0;
  if (ctrl && shift) return DROPEFFECT_NONE;
  if (ctrl) return (allowed & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  if (shift) return (allowed & DROPEFFECT_MOVE) ? DROPEFFECT_MOVE : DROPEFFECT_NONE;
  for (DWORD effect : {DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_LINK}) {
    if (allowed & effect) return effect;
  }
  return DROPEFFECT_NONE;
}

Text DroppedFilesText(HDROP drop) {
  const UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  Text text;
  std::string path;
  for (UINT i = 0; i < count; ++i) {
    const UINT length = ::DragQueryFileA(drop, i, nullptr, 0);
    path.assign(length + 1, '\0');
    const UINT got = ::DragQueryFileA(drop, i, path.data(), length + 1);
    path.resize(got);
    text += path;
    if (count > 1) text += "\r\n";
  }
  return text;
}

DropTarget* DropTarget::Create(const DropSettings& settings, DropEvents events) {
  return new DropTarget(settings, std::move(events));
}

DropTarget::DropTarget(const DropSettings& settings, DropEvents events)
    : settings_(settings),
      events_(std::move(events)),
      html_format_(RegisteredFormat("HTML Format")),
      url_format_(RegisteredFormat("UniformResourceLocator")) {}

bool DropTarget::RegisterDropWindow(HWND window) {
  if (window_ != nullptr) return false;
  window_ = window;
  registered_ = SUCCEEDED(::RegisterDragDrop(window, this));
  return registered_;
}

void DropTarget::RevokeDropWindow() {
  if (registered_) ::RevokeDragDrop(window_);
  registered_ = false;
}

HRESULT DropTarget::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG DropTarget::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }

ULONG DropTarget::Release() {
  const LONG left = ::InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

bool DropTarget::Offers(IDataObject* data, CLIPFORMAT format) const {
  FORMATETC wanted = HGlobalFormat(format);
  return format != 0 && data->QueryGetData(&wanted) == S_OK;
}

bool DropTarget::AcceptsAnyOf(IDataObject* data) const {
  return (settings_.accept_text && Offers(data, CF_TEXT)) ||
         (settings_.accept_html && Offers(data, html_format_)) ||
         (settings_.accept_url && Offers(data, url_format_)) ||
         (settings_.accept_files && Offers(data, CF_HDROP));
}

HRESULT DropTarget::DragEnter(IDataObject* data, DWORD key_state, POINTL, DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  drag_accepted_ = data != nullptr && AcceptsAnyOf(data);
  *effect = drag_accepted_ ? DropEffectFor(key_state, *effect) : DROPEFFECT_NONE;
  return S_OK;
}

HRESULT DropTarget::DragOver(DWORD key_state, POINTL, DWORD* effect) {
  if (effect == nullptr) return E_INVALIDARG;
  *effect = drag_accepted_ ? DropEffectFor(key_state, *effect) : DROPEFFECT_NONE;
  return S_OK;
}

HRESULT DropTarget::DragLeave() {
  drag_accepted_ = false;
  return S_OK;
}

bool DropTarget::GetText(IDataObject* data, CLIPFORMAT format, Text* text) const {
  FORMATETC wanted = HGlobalFormat(format);
  STGMEDIUM medium = {};
  if (data->GetData(&wanted, &medium) != S_OK) return false;
  bool ok = false;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
    if (const auto* bytes = static_cast<const char*>(::GlobalLock(medium.hGlobal))) {
      // A source may leave out the terminator: never read past the block.
      const std::string_view block(bytes, ::GlobalSize(medium.hGlobal));
      *text = Text(block.substr(0, block.find('\0')));
      ::GlobalUnlock(medium.hGlobal);
      ok = true;
    }
  }
  ::ReleaseStgMedium(&medium);
  return ok;
}

bool DropTarget::GetFiles(IDataObject* data, Text* text) const {
  FORMATETC wanted = HGlobalFormat(CF_HDROP);
  STGMEDIUM medium = {};
  if (data->GetData(&wanted, &medium) != S_OK) return false;
  const bool ok = medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr;
  if (ok) *text = DroppedFilesText(static_cast<HDROP>(medium.hGlobal));
  ::ReleaseStgMedium(&medium);
  return ok;
}

HRESULT DropTarget::Drop(IDataObject* data, DWORD key_state, POINTL, DWORD* effect) {
  const DWORD allowed = effect != nullptr ? *effect : DROPEFFECT_NONE;
  if (effect != nullptr) *effect = DROPEFFECT_NONE;
  const bool accepted = drag_accepted_;
  drag_accepted_ = false;
  if (data == nullptr || !accepted || DropEffectFor(key_state, allowed) == DROPEFFECT_NONE) {
    return E_FAIL;
  }

  const bool offers_html = Offers(data, html_format_);
  Text text;
  // Plain text only stands for itself when no HTML fragment comes with it.
  if (settings_.accept_text && !offers_html && Offers(data, CF_TEXT) &&
      GetText(data, CF_TEXT, &text) && events_.text_received) {
    events_.text_received(text);
  }
  if (settings_.accept_html && offers_html && GetText(data, html_format_, &text) &&
      events_.html_received) {
    events_.html_received(text);
  }
  if (settings_.accept_url && Offers(data, url_format_) && GetText(data, url_format_, &text) &&
      events_.url_received) {
    events_.url_received(text);
  }
  if (settings_.accept_files && Offers(data, CF_HDROP) && GetFiles(data, &text) &&
      events_.file_received) {
    events_.file_received(text);
  }
  // Telling the source that nothing was dropped keeps it from deleting what it "moved".
  return E_FAIL;
}

}  // namespace quarnel::win32
