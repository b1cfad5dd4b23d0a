// A drag source's data for the drop tests: a fixed set of HGLOBAL formats, each handed out as a
// fresh copy, as OLE sources do.
#ifndef QUARNEL_TESTS_WIN32_FAKE_DATA_OBJECT_H_
#define QUARNEL_TESTS_WIN32_FAKE_DATA_OBJECT_H_

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <ole2.h>

#include <map>
#include <string>
#include <vector>

namespace quarnel::testing_win32 {

class FakeDataObject final : public IDataObject {
 public:
  FakeDataObject() = default;
  FakeDataObject(const FakeDataObject&) = delete;
  FakeDataObject& operator=(const FakeDataObject&) = delete;

  // Adds a format; text formats get their terminating zero here.
  void AddText(CLIPFORMAT format, const std::string& text) {
    formats_[format] = text + std::string(1, '\0');
  }
  void AddRegisteredText(const char* format_name, const std::string& text) {
    AddText(static_cast<CLIPFORMAT>(::RegisterClipboardFormatA(format_name)), text);
  }
  // CF_HDROP with ANSI paths.
  void AddFiles(const std::vector<std::string>& paths);
  // CF_HDROP with UTF-16 paths, as the file manager hands them over.
  void AddWideFiles(const std::vector<std::wstring>& paths);

  int get_data_calls() const { return get_data_calls_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }  // lives on the stack

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out != nullptr) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  std::map<CLIPFORMAT, std::string> formats_;
  ULONG references_ = 1;
  int get_data_calls_ = 0;
};

}  // namespace quarnel::testing_win32

#endif  // QUARNEL_TESTS_WIN32_FAKE_DATA_OBJECT_H_
