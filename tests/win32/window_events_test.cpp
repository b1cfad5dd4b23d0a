// The window as the program runs it: drops through the registered drop object set DroppedPath,
// the start button asks for a folder or scans it on a worker, and the hits land in 编辑框1 and in
// the log before the completion notice and the log's opening.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/platform/system_texts.h"
#include "tests/win32/fake_data_object.h"
#include "tests/win32/window_test_util.h"
#include "ui/window_description.h"

namespace quarnel {
namespace {

using testing_win32::FakeDataObject;
using testing_win32::PumpUntil;
using testing_win32::ReadBytes;
using testing_win32::TempDir;
using testing_win32::TestWindow;
using testing_win32::WindowText;

const std::string kCompleted = "notice:" + std::string(kScanCompleteNotice);

class WindowEventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ui_.created());
    tmp_.MakeFolder("program");  // the program's folder, where the log goes
  }

  // A drag entering the window, moving and dropping, as OLE delivers it.
  void Drop(IDataObject* data, DWORD keys = 0) {
    win32::DropTarget* target = ui_.window().drop_object();
    const POINTL at = {300, 150};
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    target->DragEnter(data, keys | MK_LBUTTON, at, &effect);
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    target->DragOver(keys | MK_LBUTTON, at, &effect);
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    EXPECT_EQ(target->Drop(data, keys, at, &effect), E_FAIL);
  }

  void DropFiles(const std::vector<std::string>& paths) {
    FakeDataObject data;
    data.AddFiles(paths);
    Drop(&data);
  }

  void ClickStart() { ::SendMessageA(ui_.Control(ui::kStartButton), BM_CLICK, 0, 0); }

  size_t Count(const std::string& event) {
    const auto events = ui_.recorder().events();
    return static_cast<size_t>(std::count(events.begin(), events.end(), event));
  }

  TempDir tmp_;
  const std::string log_ = tmp_.Join("program/list_log.txt");
  TestWindow ui_{log_};
};

TEST_F(WindowEventsTest, StartWithNothingDroppedAsksForAFolder) {
  ClickStart();
  EXPECT_EQ(ui_.recorder().events(),
            std::vector<std::string>{"notice:" + std::string(ui::kNoFolderNotice.gbk)});
  EXPECT_EQ(ui_.events().dropped_path(), "");
  EXPECT_FALSE(testing_win32::Exists(log_));
}

TEST_F(WindowEventsTest, OnlyDropsOfFilesReplaceDroppedPath) {
  // The window is registered: OLE refuses a second drop target for it.
  FakeDataObject other;
  EXPECT_EQ(::RegisterDragDrop(ui_.window().hwnd(), reinterpret_cast<IDropTarget*>(&other)),
            DRAGDROP_E_ALREADYREGISTERED);

  DropFiles({"C:\\www"});
  EXPECT_EQ(ui_.events().dropped_path(), "C:\\www");
  DropFiles({"C:\\a", "C:\\b"});
  EXPECT_EQ(ui_.events().dropped_path(), "C:\\a\r\nC:\\b\r\n");
  DropFiles({"C:\\www\\index.php"});
  EXPECT_EQ(ui_.events().dropped_path(), "C:\\www\\index.php");

  FakeDataObject text;
  text.AddText(CF_TEXT, "C:\\elsewhere");
  text.AddRegisteredText("HTML Format", "<p>C:\\elsewhere</p>");
  Drop(&text);
  FakeDataObject url;
  url.AddRegisteredText("UniformResourceLocator", "file:///C:/elsewhere");
  Drop(&url);
  FakeDataObject files;
  files.AddFiles({"C:\\elsewhere"});
  Drop(&files, MK_CONTROL | MK_SHIFT);
  EXPECT_EQ(ui_.events().dropped_path(), "C:\\www\\index.php");
  EXPECT_TRUE(ui_.recorder().events().empty()) << "a drop shows nothing";
}

TEST_F(WindowEventsTest, DroppedFolderIsScannedIntoTheResultsBoxAndTheLog) {
  tmp_.Write("www/index.php", "<?php echo 'hello';");
  tmp_.Write("www/a.php", "<?php eval($_POST['x']);");
  tmp_.Write("www/inc/b.php", "xbshell");
  const std::string hits = "\r\n" + tmp_.Join("www/a.php") + "\r\n" + tmp_.Join("www/inc/b.php");

  DropFiles({tmp_.Join("www")});
  ClickStart();
  ASSERT_TRUE(PumpUntil([&] { return ui_.recorder().events().size() == 2; }));
  EXPECT_EQ(ui_.recorder().events(), (std::vector<std::string>{kCompleted, "open:" + log_}));
  EXPECT_EQ(WindowText(ui_.Control(ui::kResultsBox)), hits);
  EXPECT_EQ(ReadBytes(log_), hits);

  // A file instead of a folder lists nothing: the notice and the opening, nothing added.
  DropFiles({tmp_.Join("www/a.php")});
  ClickStart();
  ASSERT_TRUE(PumpUntil([&] { return ui_.recorder().events().size() == 4; }));
  EXPECT_EQ(Count(kCompleted), 2u);
  EXPECT_EQ(WindowText(ui_.Control(ui::kResultsBox)), hits);
  EXPECT_EQ(ReadBytes(log_), hits);
}

TEST_F(WindowEventsTest, TwoPressesRunTwoScansThatBothRecordEveryHit) {
  for (int i = 0; i < 20; ++i) tmp_.Write("www/f" + std::to_string(i) + ".php", "eval(");
  DropFiles({tmp_.Join("www")});
  ClickStart();
  ClickStart();
  ASSERT_TRUE(PumpUntil([&] { return Count("open:" + log_) == 2; }));
  EXPECT_EQ(Count(kCompleted), 2u);
  for (const std::string& text : {WindowText(ui_.Control(ui::kResultsBox)), ReadBytes(log_)}) {
    TextList lines = SplitText(text, "\r\n");
    ASSERT_EQ(lines.size(), 1u + 40u);  // an empty first line, then every hit twice
    std::sort(lines.begin(), lines.end());
    for (int i = 0; i < 20; ++i) {
      const std::string path = tmp_.Join("www/f" + std::to_string(i) + ".php");
      EXPECT_EQ(std::count(lines.begin(), lines.end(), path), 2) << path;
    }
  }
}

}  // namespace
}  // namespace quarnel
