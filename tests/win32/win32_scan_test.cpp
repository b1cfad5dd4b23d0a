// Whole scans on Windows: the job with a recording front end, and quarnel-scan.exe.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/platform/system_texts.h"
#include "engine/scan_job.h"
#include "tests/win32/win32_test_util.h"
#include "ui/window_description.h"

namespace quarnel {
namespace {

using testing_win32::Hold;
using testing_win32::ReadBytes;
using testing_win32::TempDir;

class RecordingFrontEnd : public ScanFrontEnd {
 public:
  explicit RecordingFrontEnd(Text signatures) : signatures_(std::move(signatures)) {}
  Text ReadSignatureText() override { return signatures_; }
  void AppendToResults(const Text& text) override { results += text; }
  void ShowNotice(const Text& text) override { events.push_back("notice:" + text); }
  void OpenWithShell(const Text& path) override { events.push_back("open:" + path); }

  Text results;
  std::vector<std::string> events;

 private:
  const Text signatures_;
};

struct Scan {
  Text results;
  std::string log;
  std::vector<std::string> events;
};

Scan RunScan(const Text& folder, const std::string& log) {
  RecordingFrontEnd ui{Text(ui::kDefaultSignatureText)};
  ScanJob job(folder, ui, ScanSettings{log, nullptr});
  job.Run();
  return Scan{ui.results, ReadBytes(log), ui.events};
}

// A tree with hits in the top folder and below, one clean file, one hidden hit.
struct Tree {
  TempDir tmp;
  std::string hits;
  Tree() {
    tmp.Write("www/index.php", "<?php echo 'hello';");
    tmp.Write("www/a.php", "<?php @eval($_POST['x']);");
    ::SetFileAttributesA(tmp.Write("www/inc/.h.php", "@extract($_GET)").c_str(),
                         FILE_ATTRIBUTE_HIDDEN);
    hits = "\r\n" + tmp.Join("www/a.php") + "\r\n" + tmp.Join("www/inc/.h.php");
  }
};

TEST(ScanJob, HitsGoToResultsAndLogWithBackslashPaths) {
  Tree tree;
  const std::string log = tree.tmp.Join("list_log.txt");
  const Scan scan = RunScan(tree.tmp.Join("www"), log);
  EXPECT_EQ(scan.results, tree.hits);
  EXPECT_EQ(scan.log, tree.hits);
  EXPECT_EQ(scan.events, (std::vector<std::string>{"notice:" + Text(kScanCompleteNotice),
                                                   "open:" + log}));
}

TEST(ScanJob, ReadOnlyLogGetsNoRecordButTheHitsAreShown) {
  Tree tree;
  const std::string log = tree.tmp.Write("list_log.txt", "earlier");
  ASSERT_TRUE(::SetFileAttributesA(log.c_str(), FILE_ATTRIBUTE_READONLY));
  const Scan scan = RunScan(tree.tmp.Join("www"), log);
  EXPECT_EQ(scan.results, tree.hits);
  EXPECT_EQ(scan.log, "earlier");
  EXPECT_EQ(scan.events.size(), 2u);
}

TEST(ScanJob, LogHeldOpenElsewhereDropsRecordsAndTheScanEnds) {
  Tree tree;
  const std::string log = tree.tmp.Write("list_log.txt", "earlier");
  win32::ScopedHandle held = Hold(log, GENERIC_WRITE, FILE_SHARE_READ);
  const Scan scan = RunScan(tree.tmp.Join("www"), log);
  held.Close();
  EXPECT_EQ(scan.results, tree.hits);
  EXPECT_EQ(ReadBytes(log), "earlier");
  EXPECT_EQ(scan.events.size(), 2u);
}

TEST(ScanJob, FileHeldOpenForWritingIsNoHit) {
  Tree tree;
  win32::ScopedHandle held =
      Hold(tree.tmp.Join("www/a.php"), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  const Scan scan = RunScan(tree.tmp.Join("www"), tree.tmp.Join("list_log.txt"));
  EXPECT_EQ(scan.results, "\r\n" + tree.tmp.Join("www/inc/.h.php"));
}

TEST(QuarnelScanExe, PrintsHitsAndAppendsToTheLog) {
  Tree tree;
  const std::string log = tree.tmp.Join("hits.txt");
  const testing_win32::RunResult run = testing_win32::Run(
      "\"" + testing_win32::TestProgramFolder() + "\\quarnel-scan.exe\" -q --log \"" + log +
      "\" \"" + tree.tmp.Join("www") + "\"");
  EXPECT_EQ(run.exit_code, 1u);
  EXPECT_EQ(run.output, tree.tmp.Join("www/a.php") + "\n" + tree.tmp.Join("www/inc/.h.php") + "\n");
  EXPECT_EQ(ReadBytes(log), tree.hits);
}

}  // namespace
}  // namespace quarnel
