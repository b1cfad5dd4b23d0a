#include "tests/win32/fake_data_object.h"

#include <shlobj.h>

#include <cstring>

namespace quarnel::testing_win32 {
namespace {

// DROPFILES, then each path with its zero, then one more zero.
template <typename Char>
std::string DropList(const std::vector<std::basic_string<Char>>& paths, bool wide) {
  DROPFILES header = {};
  header.pFiles = sizeof header;
  header.fWide = wide ? TRUE : FALSE;
  std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
  for (const auto& path : paths) {
    bytes.append(reinterpret_cast<const char*>(path.c_str()), (path.size() + 1) * sizeof(Char));
  }
  bytes.append(sizeof(Char), '\0');
  return bytes;
}

}  // namespace

void FakeDataObject::AddFiles(const std::vector<std::string>& paths) {
  formats_[CF_HDROP] = DropList(paths, false);
}

void FakeDataObject::AddWideFiles(const std::vector<std::wstring>& paths) {
  formats_[CF_HDROP] = DropList(paths, true);
}

HRESULT FakeDataObject::QueryInterface(REFIID riid, void** object) {
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
    *object = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT FakeDataObject::QueryGetData(FORMATETC* format) {
  if (format == nullptr || (format->tymed & TYMED_HGLOBAL) == 0) return DV_E_TYMED;
  return formats_.count(format->cfFormat) != 0 ? S_OK : DV_E_FORMATETC;
}

HRESULT FakeDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  ++get_data_calls_;
  const HRESULT query = QueryGetData(format);
  if (query != S_OK) return query;
  const std::string& bytes = formats_[format->cfFormat];
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (memory == nullptr) return E_OUTOFMEMORY;
  std::memcpy(::GlobalLock(memory), bytes.data(), bytes.size());
  ::GlobalUnlock(memory);
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = memory;
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

}  // namespace quarnel::testing_win32
