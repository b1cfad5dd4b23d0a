// End-to-end runs of the quarnel-scan binary on fixture trees.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "tests/test_util.h"

namespace quarnel {
namespace {

using testing_util::Exists;
using testing_util::ReadBytes;
using testing_util::TempDir;

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs the binary through the shell with stdout and stderr caught in files.
RunResult Scan(const TempDir& tmp, const std::string& args, const std::string& stdin_text = "") {
  const std::string out = tmp.Join(".out"), err = tmp.Join(".err"), in = tmp.Join(".in");
  tmp.Write(".in", stdin_text);
  const std::string cmd = std::string(QUARNEL_SCAN_BINARY) + " " + args + " <" + Quote(in) +
                          " >" + Quote(out) + " 2>" + Quote(err);
  const int rc = std::system(cmd.c_str());
  RunResult r;
  r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  r.out = ReadBytes(out);
  r.err = ReadBytes(err);
  ::unlink(out.c_str());
  ::unlink(err.c_str());
  ::unlink(in.c_str());
  return r;
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tmp_.Write("www/a.php", "<?php @extract($_REQUEST); ?>");
    tmp_.Write("www/clean.php", "<?php echo 'hello'; ?>");
    tmp_.Write("www/inc/b.php", "x = eval(y);");
    log_ = tmp_.Join("hits.log");
  }
  std::string Log() const { return Quote(log_); }
  TempDir tmp_;
  std::string log_;
};

TEST_F(CliTest, DefaultSignaturesPrintHitsLogThemAndExitOne) {
  const RunResult r = Scan(tmp_, "--log " + Log() + " " + Quote(tmp_.Join("www")));
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.out, tmp_.Join("www/a.php") + "\n" + tmp_.Join("www/inc/b.php") + "\n");
  EXPECT_EQ(ReadBytes(log_), "\r\n" + tmp_.Join("www/a.php") + "\r\n" + tmp_.Join("www/inc/b.php"));
  EXPECT_NE(r.err.find("3 files examined, 2 hits"), std::string::npos) << r.err;
}

TEST_F(CliTest, NoHitExitsZeroAndCreatesNoLog) {
  const RunResult r = Scan(tmp_, "-q -e nomatch --log " + Log() + " " + Quote(tmp_.Join("www")));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_FALSE(Exists(log_));
}

TEST_F(CliTest, ErrorsScanNothingAndTouchNoLog) {
  const std::string www = Quote(tmp_.Join("www"));
  const std::string cases[] = {
      "",                                                       // no folder
      "--bogus " + www,                                         // unknown option
      www + " " + Quote(tmp_.Join("missing")),                  // a missing folder, even second
      Quote(tmp_.Join("www/a.php")),                            // a file, not a folder
      "-f " + Quote(tmp_.Join("no-such-list")) + " " + www,     // unreadable signature file
      "-f " + Quote(tmp_.Join("www")) + " " + www,              // a folder as signature file
      "-e",                                                     // option without its value
      "-j 0 " + www,                                            // no thread to examine on
      "-j many " + www,
  };
  for (const auto& args : cases) {
    const RunResult r = Scan(tmp_, "--log " + Log() + " " + args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(r.out, "") << args;
    EXPECT_NE(r.err, "") << args;
    EXPECT_FALSE(Exists(log_)) << args;
  }
}

TEST_F(CliTest, SignatureFileLinesAndExtraSignatures) {
  // LF-only lines count as CRLF; an -e line follows the file's lines.
  tmp_.Write("sigs.txt", "nomatch\n@extract\n");
  RunResult r = Scan(tmp_, "--no-log -f " + Quote(tmp_.Join("sigs.txt")) + " -e 'eval(' " +
                         Quote(tmp_.Join("www")));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, tmp_.Join("www/a.php") + "\n" + tmp_.Join("www/inc/b.php") + "\n");

  // From standard input; a blank line is the empty signature, found in every non-empty file.
  r = Scan(tmp_, "--no-log -q -f - " + Quote(tmp_.Join("www")), "nomatch\r\n\r\nzzz");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3);

  // An empty -e alone is one empty line too.
  r = Scan(tmp_, "--no-log -q -e '' " + Quote(tmp_.Join("www")));
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3);

  // An empty file gives no signature at all.
  tmp_.Write("none.txt", "");
  r = Scan(tmp_, "--no-log -q -f " + Quote(tmp_.Join("none.txt")) + " " + Quote(tmp_.Join("www")));
  EXPECT_EQ(r.status, 0);
}

TEST_F(CliTest, RelativeFoldersStayRelativeAndFoldersScanInOrder) {
  const std::string cd = "cd " + Quote(tmp_.path()) + " && ";
  tmp_.Write("second/z.php", "eval(");
  const std::string cmd = cd + QUARNEL_SCAN_BINARY + " --no-log -q -0 second www/ > out.bin";
  ASSERT_EQ(WEXITSTATUS(std::system(cmd.c_str())), 1);
  EXPECT_EQ(ReadBytes(tmp_.Join("out.bin")),
            std::string("second/z.php\0www/a.php\0www/inc/b.php\0", 37));
}

TEST_F(CliTest, FifoAndLinkCycleFinish) {
  ASSERT_EQ(::mkfifo(tmp_.Join("www/pipe").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("..", tmp_.Join("www/inc/loop").c_str()), 0);
  const RunResult r = Scan(tmp_, "--no-log " + Quote(tmp_.Join("www")));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, tmp_.Join("www/a.php") + "\n" + tmp_.Join("www/inc/b.php") + "\n");
}

TEST_F(CliTest, UnwritableLogWarnsAndStillPrintsHits) {
  const RunResult r = Scan(tmp_, "--log " + Quote(tmp_.Join("missing/list_log.txt")) + " " +
                               Quote(tmp_.Join("www")));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, tmp_.Join("www/a.php") + "\n" + tmp_.Join("www/inc/b.php") + "\n");
  EXPECT_NE(r.err.find("warning"), std::string::npos) << r.err;
}

TEST_F(CliTest, TwoProcessesIntoOneLogLoseNoRecord) {
  for (int i = 0; i < 300; ++i) tmp_.Write("many/f" + std::to_string(i) + ".php", "eval(");
  const std::string one = std::string(QUARNEL_SCAN_BINARY) + " -q --log " + Log() + " " +
                          Quote(tmp_.Join("many")) + " >/dev/null";
  const std::string both = "(" + one + " & " + one + " & wait)";
  std::system(both.c_str());
  const std::string log = ReadBytes(log_);
  size_t records = 0;
  for (size_t p = log.find("\r\n"); p != std::string::npos; p = log.find("\r\n", p + 2)) ++records;
  EXPECT_EQ(records, 600u);
  for (int i = 0; i < 300; ++i) {
    const std::string rec = "\r\n" + tmp_.Join("many/f" + std::to_string(i) + ".php");
    const size_t first = (log + "\r\n").find(rec + "\r\n");
    ASSERT_NE(first, std::string::npos) << rec;
    EXPECT_NE((log + "\r\n").find(rec + "\r\n", first + 1), std::string::npos) << rec;
  }
}

TEST_F(CliTest, AnyThreadCountGivesTheSameOutputAndLog) {
  for (int i = 0; i < 200; ++i) {
    tmp_.Write("many/d" + std::to_string(i % 7) + "/f" + std::to_string(i), i % 3 ? "eval(" : "no");
  }
  std::string first_out, first_log;
  for (const char* threads : {"1", "2", "5"}) {
    ::unlink(log_.c_str());
    const RunResult r =
        Scan(tmp_, std::string("-q -j ") + threads + " --log " + Log() + " " + Quote(tmp_.Join("many")));
    EXPECT_EQ(r.status, 1);
    if (first_out.empty()) {
      first_out = r.out;
      first_log = ReadBytes(log_);
      EXPECT_EQ(std::count(first_out.begin(), first_out.end(), '\n'), 133);
    } else {
      EXPECT_EQ(r.out, first_out) << threads << " threads";
      EXPECT_EQ(ReadBytes(log_), first_log) << threads << " threads";
    }
  }
}

TEST(CliBasics, HelpAndVersion) {
  TempDir tmp;
  RunResult r = Scan(tmp, "--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Usage: quarnel-scan"), std::string::npos);
  r = Scan(tmp, "--version");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("quarnel-scan ", 0), 0u);
}

}  // namespace
}  // namespace quarnel
