// Examining on several threads must not show: results, log and signature reads come out as from
// the plain one-file-at-a-time scan.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/enumerator.h"
#include "engine/file_ops.h"
#include "engine/scan_job.h"
#include "tests/test_util.h"

namespace quarnel {
namespace {

using testing_util::Exists;
using testing_util::ReadBytes;
using testing_util::TempDir;

class ScriptedFrontEnd : public ScanFrontEnd {
 public:
  explicit ScriptedFrontEnd(Text signatures) : signatures_(std::move(signatures)) {}
  Text ReadSignatureText() override {
    ++reads_;
    if (on_read_) on_read_(this);
    return signatures_;
  }
  uint64_t SignatureRevision() override {
    return fixed_revision_ ? 7 : ScanFrontEnd::SignatureRevision();
  }
  void AppendToResults(const Text& text) override { results_ += text; }
  void ShowNotice(const Text&) override {}
  void OpenWithShell(const Text&) override {}

  Text signatures_;
  Text results_;
  int reads_ = 0;
  bool fixed_revision_ = false;
  std::function<void(ScriptedFrontEnd*)> on_read_;
};

struct Outcome {
  Text results;
  std::string log;
};

Outcome Scan(const TempDir& tmp, const Text& signatures, unsigned threads,
             const std::string& log) {
  ScriptedFrontEnd ui(signatures);
  ScanJob job(tmp.Join("w"), ui, ScanSettings{log, nullptr, threads});
  job.Run();
  return Outcome{ui.results_, Exists(log) ? ReadBytes(log) : ""};
}

// The plain scan, written out: list, then per file read whole, cut, split, FindInText.
Text PlainResults(const TempDir& tmp, const Text& signatures) {
  TextList files;
  EnumerateFiles(tmp.Join("w"), "*.*", &files);
  Text results;
  for (const Text& path : files) {
    const Text text = BytesToText(ReadWholeFile(path));
    for (const Text& line : SplitText(signatures, "\r\n")) {
      if (FindInText(text, line) != -1) {
        results += "\r\n" + path;
        break;
      }
    }
  }
  return results;
}

// Many files, a third of them hits, some only after a lone 0x80-0xFF byte (no hit) or behind a
// zero byte (no hit), in nested folders: every thread count gives the plain scan's bytes.
TEST(ParallelScan, ManyHitsComeOutInListOrder) {
  TempDir tmp;
  for (int i = 0; i < 600; ++i) {
    std::string body(static_cast<size_t>(50 + (i * 37) % 3000), 'x');
    if (i % 3 == 0) body.insert(body.size() / 2, "eval(");
    if (i % 7 == 0) body.insert(0, "\xB0" "eval(");
    if (i % 11 == 0) body.insert(0, std::string("\0eval(", 6));
    tmp.Write("w/d" + std::to_string(i % 9) + "/s" + std::to_string(i % 4) + "/f" +
                  std::to_string(i) + ".php",
              body);
  }
  const Text plain = PlainResults(tmp, "eval(");
  ASSERT_GT(plain.size(), 100u * 20u);
  for (unsigned threads : {1u, 2u, 8u}) {
    const std::string log = tmp.Join("log" + std::to_string(threads) + ".txt");
    const Outcome got = Scan(tmp, "eval(", threads, log);
    EXPECT_EQ(got.results, plain) << threads << " threads";
    EXPECT_EQ(got.log, plain) << threads << " threads";
  }
}

// The log lies in the scanned tree after the hits whose records make it a hit: it may only be
// examined once those records are in it.
TEST(ParallelScan, HitLogInTheTreeWaitsForEarlierHits) {
  TempDir tmp;
  for (int i = 0; i < 200; ++i) tmp.Write("w/MARK" + std::to_string(i) + ".php", "MARK");
  const std::string log = tmp.Write("w/sub/list_log.txt", "");
  const Outcome got = Scan(tmp, "MARK", 4, log);
  EXPECT_NE(got.results.find("\r\n" + log), std::string::npos);
  EXPECT_EQ(got.results, got.log);
  tmp.Write("w/sub/list_log.txt", "");
  EXPECT_EQ(Scan(tmp, "MARK", 1, log).results, got.results);
}

// The text is read again only when the revision moved; when it moves every call, once per file,
// and a change applies from the file whose read saw it, however far the workers ran ahead.
TEST(ParallelScan, SignatureReadsFollowTheRevision) {
  TempDir tmp;
  for (int i = 0; i < 300; ++i) tmp.Write("w/f" + std::to_string(i), "new-signature");
  {
    ScriptedFrontEnd ui("new-signature");
    ui.fixed_revision_ = true;
    ScanJob job(tmp.Join("w"), ui, ScanSettings{"", nullptr, 4});
    job.Run();
    EXPECT_EQ(ui.reads_, 1);
    EXPECT_EQ(job.stats().hits, 300u);
  }
  for (unsigned threads : {1u, 4u}) {
    ScriptedFrontEnd ui("old-signature");
    ui.on_read_ = [](ScriptedFrontEnd* self) {
      if (self->reads_ == 201) self->signatures_ = "new-signature";
    };
    ScanJob job(tmp.Join("w"), ui, ScanSettings{"", nullptr, threads});
    job.Run();
    EXPECT_EQ(ui.reads_, 300) << threads << " threads";
    EXPECT_EQ(job.stats().hits, 100u) << threads << " threads";
    // The hits are the last 100 files of the list.
    TextList files;
    EnumerateFiles(tmp.Join("w"), "*.*", &files);
    Text want;
    for (size_t i = 200; i < files.size(); ++i) want += "\r\n" + files[i];
    EXPECT_EQ(ui.results_, want) << threads << " threads";
  }
}

}  // namespace
}  // namespace quarnel
