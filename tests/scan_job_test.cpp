#include "engine/scan_job.h"

#include <unistd.h>

#include <functional>

#include <gtest/gtest.h>

#include "engine/platform/system_texts.h"
#include "tests/test_util.h"
#include "ui/window_description.h"

namespace quarnel {
namespace {

using testing_util::Exists;
using testing_util::ReadBytes;
using testing_util::TempDir;

// Records what the job asks of the user's side.
class FakeFrontEnd : public ScanFrontEnd {
 public:
  explicit FakeFrontEnd(Text signatures) : signatures_(std::move(signatures)) {}

  Text ReadSignatureText() override {
    ++reads_;
    if (on_read_) on_read_(this);
    return signatures_;
  }
  void AppendToResults(const Text& text) override { results_ += text; }
  void ShowNotice(const Text& text) override { events_.push_back("notice:" + text); }
  void OpenWithShell(const Text& path) override { events_.push_back("open:" + path); }
  bool IsClosed() override { return closed_; }

  Text signatures_;
  Text results_;
  std::vector<std::string> events_;
  int reads_ = 0;
  bool closed_ = false;
  std::function<void(FakeFrontEnd*)> on_read_;
};

struct Scan {
  Text results;
  std::string log;
  std::vector<std::string> events;
};

Scan RunScan(const TempDir& tree, const Text& folder, const Text& signatures,
             const std::string& log_path = "") {
  FakeFrontEnd ui(signatures);
  const std::string log = log_path.empty() ? tree.Join("list_log.txt") : log_path;
  ScanJob job(folder, ui, ScanSettings{log, nullptr});
  job.Run();
  return Scan{ui.results_, Exists(log) ? ReadBytes(log) : "<none>", ui.events_};
}

TEST(ScanJob, HitsGoToResultsAndLogInListOrderThenNoticeThenOpen) {
  TempDir tmp;
  tmp.Write("www/a.php", "<?php eval($_POST['x']);");
  tmp.Write("www/b.php", "<?php echo 1;");
  tmp.Write("www/inc/c.php", "@extract($_GET)");
  const Scan scan = RunScan(tmp, tmp.Join("www"), Text(ui::kDefaultSignatureText));
  const std::string expected = "\r\n" + tmp.Join("www/a.php") + "\r\n" + tmp.Join("www/inc/c.php");
  EXPECT_EQ(scan.results, expected);
  EXPECT_EQ(scan.log, expected);
  EXPECT_EQ(scan.events, (std::vector<std::string>{"notice:" + Text(kScanCompleteNotice),
                                                   "open:" + tmp.Join("list_log.txt")}));
}

TEST(ScanJob, EmptyListingCreatesNoLogButStillNoticesAndOpens) {
  TempDir tmp;
  const std::string file = tmp.Write("a.php", "eval(");
  for (const Text& folder : {file, tmp.Join("missing"), file + "\r\n" + file + "\r\n"}) {
    const Scan scan = RunScan(tmp, folder, "eval(");
    EXPECT_EQ(scan.results, "");
    EXPECT_EQ(scan.log, "<none>");
    EXPECT_EQ(scan.events.size(), 2u);
  }
}

struct SignatureCase {
  const char* name;
  Text signatures;
  std::vector<std::string> hits;  // file names, in the fixture's listing
};

// One fixture, many signature texts: which files are hits.
TEST(ScanJob, SignatureTextRules) {
  TempDir tmp;
  tmp.Write("t/lower", "x eval( y");
  tmp.Write("t/upper", "x EVAL( y");
  tmp.Write("t/empty", "");
  tmp.Write("t/zero_first", std::string("\0eval(", 6));
  tmp.Write("t/zero_before", std::string("abc\0eval(", 9));
  tmp.Write("t/odd_high", "\xB0" "eval(");
  tmp.Write("t/even_high", "\xB0\xB0" "eval(");
  tmp.Write("t/utf8_before", "\xE4\xBD\xA0" "eval(");
  tmp.Write("t/plain", "nothing here");
  const std::vector<std::string> all_nonempty = {"lower",       "upper", "zero_before", "odd_high",
                                                 "even_high",   "utf8_before", "plain"};
  const SignatureCase cases[] = {
      {"exact bytes, character starts, text ends at zero", "eval(", {"lower", "even_high"}},
      {"empty box", "", {}},
      {"trailing break adds no empty line", "eval(\r\n", {"lower", "even_high"}},
      {"blank line between", "zzz\r\n\r\nqqq", all_nonempty},
      {"leading break", "\r\nqqq", all_nonempty},
      {"two trailing breaks", "qqq\r\n\r\n", all_nonempty},
      {"single break", "\r\n", all_nonempty},
      {"later line found", "qqq\r\nEVAL(", {"upper"}},
      {"lone LF is no break", "eval(\nzzz", {}},
  };
  for (const auto& c : cases) {
    FakeFrontEnd ui(c.signatures);
    ScanJob job(tmp.Join("t"), ui, ScanSettings{});
    job.Run();
    std::vector<std::string> got;
    for (const Text& line : SplitText(ui.results_, "\r\n")) {
      if (!line.empty()) got.push_back(line.substr(line.rfind('/') + 1));
    }
    std::sort(got.begin(), got.end());
    std::vector<std::string> want = c.hits;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want) << c.name;
  }
}

TEST(ScanJob, FileWithManySignaturesIsRecordedOnce) {
  TempDir tmp;
  tmp.Write("w/a.php", "eval( eval( @extract xbshell");
  EXPECT_EQ(RunScan(tmp, tmp.Join("w"), Text(ui::kDefaultSignatureText)).log,
            "\r\n" + tmp.Join("w/a.php"));
}

TEST(ScanJob, OldLogContentStaysInFrontAndRepeatsAreRecordedAgain) {
  TempDir tmp;
  tmp.Write("w/a.php", "eval(");
  const std::string log = tmp.Write("logs/list_log.txt", "edited by hand");
  RunScan(tmp, tmp.Join("w"), "eval(", log);
  const Scan second = RunScan(tmp, tmp.Join("w"), "eval(", log);
  const std::string rec = "\r\n" + tmp.Join("w/a.php");
  EXPECT_EQ(second.log, "edited by hand" + rec + rec);
}

TEST(ScanJob, UnwritableLogKeepsTheHitInResults) {
  TempDir tmp;
  tmp.Write("w/a.php", "eval(");
  const Scan scan = RunScan(tmp, tmp.Join("w"), "eval(", tmp.Join("no/such/folder/list_log.txt"));
  EXPECT_EQ(scan.results, "\r\n" + tmp.Join("w/a.php"));
  EXPECT_EQ(scan.log, "<none>");
}

TEST(ScanJob, LogInsideTheScannedTreeIsExaminedLikeAnyFile) {
  TempDir tmp;
  tmp.Write("w/a.txt", "nothing");
  // A record whose path holds the signature makes the log itself a hit.
  const std::string log = tmp.Write("w/list_log.txt", "\r\n/x/eval(");
  EXPECT_EQ(RunScan(tmp, tmp.Join("w"), "eval(", log).log, "\r\n/x/eval(\r\n" + log);
}

TEST(ScanJob, SignatureEditDuringScanAppliesToLaterFiles) {
  TempDir tmp;
  for (int i = 0; i < 6; ++i) tmp.Write("w/f" + std::to_string(i), "new-signature");
  FakeFrontEnd ui("old-signature");
  ui.on_read_ = [](FakeFrontEnd* self) {
    if (self->reads_ == 4) self->signatures_ = "new-signature";
  };
  ScanJob job(tmp.Join("w"), ui, ScanSettings{});
  job.Run();
  // The text is read once per file, after the file: files 4, 5 and 6 see the new signature.
  EXPECT_EQ(ui.reads_, 6);
  // The results start with a line break: an empty first line, then one path per line.
  EXPECT_EQ(SplitText(ui.results_, "\r\n").size(), 1u + 3u);
}

TEST(ScanJob, ClosedFrontEndStopsQuietly) {
  TempDir tmp;
  for (int i = 0; i < 5; ++i) tmp.Write("w/f" + std::to_string(i), "eval(");
  FakeFrontEnd ui("eval(");
  ui.on_read_ = [](FakeFrontEnd* self) { self->closed_ = self->reads_ == 2; };
  ScanJob job(tmp.Join("w"), ui, ScanSettings{tmp.Join("list_log.txt"), nullptr});
  job.Run();
  EXPECT_LE(SplitText(ui.results_, "\r\n").size(), 1u + 2u);
  EXPECT_TRUE(ui.events_.empty());
}

TEST(ScanJob, FifoAndDeviceLinksAreNoHitsAndDoNotBlock) {
  TempDir tmp;
  ASSERT_EQ(::mkfifo(tmp.Join("pipe").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", tmp.Join("zero").c_str()), 0);
  tmp.Write("real.php", "eval(");
  EXPECT_EQ(RunScan(tmp, tmp.path(), "\r\n").results, "\r\n" + tmp.Join("real.php"));
}

TEST(ScanJob, FileHasSignatureDecidesOneFileWithTheCurrentText) {
  TempDir tmp;
  const std::string shell = tmp.Write("shell.php", "<?php eval($_POST[1]);");
  const std::string empty = tmp.Write("empty.php", "");
  FakeFrontEnd ui("eval(");
  ScanJob job(tmp.path(), ui, ScanSettings{});
  EXPECT_TRUE(job.FileHasSignature(shell));
  EXPECT_FALSE(job.FileHasSignature(empty));
  EXPECT_FALSE(job.FileHasSignature(tmp.Join("missing.php")));
  ui.signatures_ = "\r\n";  // the empty line: any non-empty text, never an empty one
  EXPECT_TRUE(job.FileHasSignature(shell));
  EXPECT_FALSE(job.FileHasSignature(empty));
  ui.signatures_ = "";
  EXPECT_FALSE(job.FileHasSignature(shell));
}

}  // namespace
}  // namespace quarnel
