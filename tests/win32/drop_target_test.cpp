// 拖放对象1 through its IDropTarget: what a drag is offered, which effect it shows, which events a
// drop raises in which order, and the answer that nothing was dropped.
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/win32/fake_data_object.h"
#include "tests/win32/win32_test_util.h"
#include "ui/win32/drop_target.h"
#include "ui/win32/main_window.h"

namespace quarnel {
namespace {

using testing_win32::FakeDataObject;

constexpr DWORD kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

TEST(DropEffectFor, KeysAndAllowedEffects) {
  struct Case {
    DWORD keys, allowed, effect;
  };
  const Case cases[] = {
      {0, kAll, DROPEFFECT_COPY},
      {0, DROPEFFECT_MOVE | DROPEFFECT_LINK, DROPEFFECT_MOVE},
      {0, DROPEFFECT_LINK, DROPEFFECT_LINK},
      {0, DROPEFFECT_NONE, DROPEFFECT_NONE},
      {MK_CONTROL, kAll, DROPEFFECT_COPY},
      {MK_CONTROL, DROPEFFECT_MOVE, DROPEFFECT_NONE},
      {MK_SHIFT, kAll, DROPEFFECT_MOVE},
      {MK_SHIFT, DROPEFFECT_COPY, DROPEFFECT_NONE},
      {MK_CONTROL | MK_SHIFT, kAll, DROPEFFECT_NONE},
      {MK_LBUTTON, DROPEFFECT_LINK, DROPEFFECT_LINK},  // mouse buttons do not count
  };
  for (const Case& c : cases) {
    EXPECT_EQ(win32::DropEffectFor(c.keys, c.allowed), c.effect) << c.keys << " " << c.allowed;
  }
}

// A drop target with every event recorded, as "kind:text".
class Target {
 public:
  explicit Target(const win32::DropSettings& settings) {
    win32::DropEvents events;
    events.text_received = [this](const Text& t) { events_.push_back("text:" + t); };
    events.html_received = [this](const Text& t) { events_.push_back("html:" + t); };
    events.url_received = [this](const Text& t) { events_.push_back("url:" + t); };
    events.file_received = [this](const Text& t) { events_.push_back("files:" + t); };
    target_ = win32::DropTarget::Create(settings, std::move(events));
  }
  ~Target() { target_->Release(); }

  struct Outcome {
    DWORD shown = 0;        // the effect while dragging
    HRESULT answer = S_OK;  // what Drop told the source
    DWORD dropped = 0;      // the effect Drop reported
    std::vector<std::string> events;
  };

  Outcome Drag(IDataObject* data, DWORD keys = 0, DWORD allowed = kAll) {
    Outcome out;
    events_.clear();
    const POINTL at = {10, 10};
    DWORD effect = allowed;
    target_->DragEnter(data, keys | MK_LBUTTON, at, &effect);
    out.shown = effect;
    effect = allowed;
    target_->DragOver(keys | MK_LBUTTON, at, &effect);
    EXPECT_EQ(effect, out.shown);
    effect = allowed;
    out.answer = target_->Drop(data, keys, at, &effect);
    out.dropped = effect;
    out.events = events_;
    return out;
  }

  win32::DropTarget* get() { return target_; }

 private:
  win32::DropTarget* target_;
  std::vector<std::string> events_;
};

struct DataCase {
  const char* name;
  bool text, html, url;
  std::vector<std::string> files;  // none: no CF_HDROP
  DWORD shown;
  std::vector<std::string> events;
};

void Fill(const DataCase& c, FakeDataObject* data) {
  if (c.text) data->AddText(CF_TEXT, "plain");
  if (c.html) data->AddRegisteredText("HTML Format", "<b>x</b>");
  if (c.url) data->AddRegisteredText("UniformResourceLocator", "http://example.com/");
  if (!c.files.empty()) data->AddFiles(c.files);
}

TEST(DropTarget, TheWindowsSettingsAcceptTextHtmlAndFilesButNoUrl) {
  Target target(win32::kDropObjectSettings);
  const std::vector<std::string> none;
  const DataCase cases[] = {
      {"one folder", false, false, false, {"C:\\www"}, DROPEFFECT_COPY, {"files:C:\\www"}},
      {"two items", false, false, false, {"C:\\a", "C:\\b"}, DROPEFFECT_COPY,
       {"files:C:\\a\r\nC:\\b\r\n"}},
      {"text only", true, false, false, {}, DROPEFFECT_COPY, {"text:plain"}},
      {"text with html", true, true, false, {}, DROPEFFECT_COPY, {"html:<b>x</b>"}},
      {"url only", false, false, true, {}, DROPEFFECT_NONE, {}},
      {"url and files", false, false, true, {"C:\\www"}, DROPEFFECT_COPY, {"files:C:\\www"}},
      {"text, url and files", true, false, true, {"C:\\www"}, DROPEFFECT_COPY,
       {"text:plain", "files:C:\\www"}},
      {"nothing known", false, false, false, {}, DROPEFFECT_NONE, {}},
  };
  for (const DataCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDataObject data;
    Fill(c, &data);
    const Target::Outcome out = target.Drag(&data);
    EXPECT_EQ(out.shown, c.shown);
    EXPECT_EQ(out.events, c.events);
    // Whatever happened, the source hears that nothing was dropped.
    EXPECT_EQ(out.answer, E_FAIL);
    EXPECT_EQ(out.dropped, static_cast<DWORD>(DROPEFFECT_NONE));
  }
}

TEST(DropTarget, EventsComeInTheirOrderWithEverythingOn) {
  Target target({true, true, true, true});
  const DataCase cases[] = {
      {"all four", true, true, true, {"C:\\w"}, DROPEFFECT_COPY,
       {"html:<b>x</b>", "url:http://example.com/", "files:C:\\w"}},
      {"no html", true, false, true, {"C:\\w"}, DROPEFFECT_COPY,
       {"text:plain", "url:http://example.com/", "files:C:\\w"}},
      {"url only", false, false, true, {}, DROPEFFECT_COPY, {"url:http://example.com/"}},
  };
  for (const DataCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDataObject data;
    Fill(c, &data);
    EXPECT_EQ(target.Drag(&data).events, c.events);
  }
}

TEST(DropTarget, HeldKeysDecideTheEffectAndANoneEffectDropsNothing) {
  Target target(win32::kDropObjectSettings);
  FakeDataObject data;
  data.AddFiles({"C:\\www"});
  struct Case {
    const char* name;
    DWORD keys, allowed, shown;
    bool raised;
  };
  const Case cases[] = {
      {"shift: move, yet the source keeps it", MK_SHIFT, kAll, DROPEFFECT_MOVE, true},
      {"ctrl: copy", MK_CONTROL, kAll, DROPEFFECT_COPY, true},
      {"ctrl and shift: nothing", MK_CONTROL | MK_SHIFT, kAll, DROPEFFECT_NONE, false},
      {"shift where only copy is allowed", MK_SHIFT, DROPEFFECT_COPY, DROPEFFECT_NONE, false},
      {"a source that allows nothing", 0, DROPEFFECT_NONE, DROPEFFECT_NONE, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Target::Outcome out = target.Drag(&data, c.keys, c.allowed);
    EXPECT_EQ(out.shown, c.shown);
    EXPECT_EQ(out.events.size(), c.raised ? 1u : 0u);
    EXPECT_EQ(out.answer, E_FAIL);
    EXPECT_EQ(out.dropped, static_cast<DWORD>(DROPEFFECT_NONE));
  }
}

TEST(DropTarget, WidePathsFromTheFileManagerArriveAsGbkBytes) {
  Target target(win32::kDropObjectSettings);
  FakeDataObject data;
  data.AddWideFiles({L"C:\\\x5DE5\x5177\\\x6DFA"});  // C:\工具\淺
  const std::string expected = std::string("files:C:\\") + testing_win32::kTools + "\\" +
                               testing_win32::kShallow;
  EXPECT_EQ(target.Drag(&data).events, std::vector<std::string>{expected});
}

TEST(DropTarget, AWindowIsRegisteredOnceAndNotWithoutOle) {
  HWND window = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  Target first(win32::kDropObjectSettings);
  Target second(win32::kDropObjectSettings);
  ASSERT_TRUE(first.get()->RegisterDropWindow(window));
  EXPECT_FALSE(first.get()->RegisterDropWindow(window));
  EXPECT_FALSE(second.get()->RegisterDropWindow(window)) << "OLE keeps the first registration";
  EXPECT_EQ(::RegisterDragDrop(window, second.get()), DRAGDROP_E_ALREADYREGISTERED);
  first.get()->RevokeDropWindow();
  EXPECT_EQ(::RegisterDragDrop(window, second.get()), S_OK);
  ::RevokeDragDrop(window);
  ::DestroyWindow(window);

  bool registered = true;
  std::thread no_ole([&] {  // a thread that never initialised OLE
    HWND w = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
    Target target(win32::kDropObjectSettings);
    registered = target.get()->RegisterDropWindow(w);
    ::DestroyWindow(w);
  });
  no_ole.join();
  EXPECT_FALSE(registered);
}

}  // namespace
}  // namespace quarnel
