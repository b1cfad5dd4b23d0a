// The fast matcher against the plain FindInText/SplitText: named cases at the chunk seams, then
// many random texts and signature lists from fixed seeds.
#include "engine/matcher.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/text.h"
#include "ui/window_description.h"

namespace quarnel {
namespace {

// What the plain scan decides for one file's bytes.
bool ReferenceHit(std::string_view signature_text, std::string_view file_bytes) {
  const Text text = BytesToText(file_bytes);
  for (const Text& line : SplitText(signature_text, "\r\n")) {
    if (FindInText(text, line) != -1) return true;
  }
  return false;
}

// Every way the fast matcher can see the bytes: whole, and in chunks small enough that lines,
// zero bytes and runs of 0x80-0xFF fall across chunk ends.
void ExpectSameAsReference(std::string_view signatures, std::string_view bytes,
                           const std::string& what) {
  const bool want = ReferenceHit(signatures, bytes);
  const SignatureMatcher matcher(signatures);
  EXPECT_EQ(matcher.FindIn(BytesToText(bytes)), want) << what << " (whole text)";
  for (size_t chunk : {1, 2, 3, 5, 8, 13, 64}) {
    MatchStream stream(chunk);
    EXPECT_EQ(stream.FindIn(matcher, bytes), want) << what << " (chunks of " << chunk << ")";
  }
}

std::string Hex(std::string_view s) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kDigits[c >> 4];
      out += kDigits[c & 15];
    }
  }
  return out;
}

struct Case {
  const char* name;
  std::string signatures;
  std::string bytes;
  bool hit;
};

TEST(Matcher, NamedCases) {
  const std::string s(ui::kDefaultSignatureText);
  const Case cases[] = {
      {"no line at all", "", "eval(", false},
      {"empty line, non-empty text", "abc\r\n\r\nxyz", "q", true},
      {"empty line, empty text", "\r\n", "", false},
      {"empty line, text cut at once", "\r\n", std::string("\0abc", 4), false},
      {"trailing break adds no empty line", "zzz\r\n", "q", false},
      {"lone LF stays inside the line", "eval(\nx", "eval(", false},
      {"case counts", "eval(", "EVAL(", false},
      {"second byte of a character", "A", "\xB0" "A", false},
      {"after an even run", "A", "\xB0\xB0" "A", true},
      {"after one UTF-8 character", "eval(", "\xE4\xBD\xA0" "eval(", false},
      {"one byte later is a start", "val(", "\xE4\xBD\xA0" "eval(", true},
      {"line may end inside a character", "a\xB0", "a\xB0\x41", true},
      {"text ends at the zero byte", "eval(", std::string("abc\0eval(", 9), false},
      {"defaults", s, "<?php @extract($_GET); ?>", true},
      {"defaults, none", s, "<?php echo 1; ?>", false},
      {"duplicate lines", "abc\r\nabc", "xabc", true},
      {"one-byte line", "x\r\nlonger line", "aaax", true},
      {"line longer than text", "abcdef", "abc", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReferenceHit(c.signatures, c.bytes), c.hit) << c.name << ": the case itself";
    ExpectSameAsReference(c.signatures, c.bytes, c.name);
  }
}

// A signature placed at every offset around a chunk end, behind runs of 0x80-0xFF of every
// length, with and without a zero byte just before it.
TEST(Matcher, ChunkEndAtEveryOffset) {
  const std::string sig = "eval(";
  for (size_t chunk : {4, 7, 16}) {
    for (size_t lead = 0; lead < 2 * chunk; ++lead) {
      for (size_t high = 0; high < 4; ++high) {
        for (bool zero : {false, true}) {
          std::string bytes(lead, 'x');
          bytes += std::string(high, '\xB0');
          if (zero) bytes += '\0';
          bytes += sig + "tail";
          const SignatureMatcher matcher(sig);
          MatchStream stream(chunk);
          EXPECT_EQ(stream.FindIn(matcher, bytes), ReferenceHit(sig, bytes))
              << "chunk " << chunk << " lead " << lead << " high " << high << " zero " << zero;
        }
      }
    }
  }
}

// A run of 0x80-0xFF longer than a chunk changes which positions start a character on the far
// side; the parity has to survive every chunk end inside the run.
TEST(Matcher, HighRunLongerThanAChunk) {
  for (size_t run : {999, 1000, 1001}) {
    const std::string bytes = "a" + std::string(run, '\xC1') + "Zq";
    ExpectSameAsReference("Zq", bytes, "run " + std::to_string(run));
    ExpectSameAsReference("\xC1Z", bytes, "run " + std::to_string(run) + ", line in the run");
  }
}

// Candidates at every position of a long run must not cost a walk back to the run's start each.
TEST(Matcher, ManyCandidatesInsideAHighRunStayLinear) {
  const std::string bytes(400000, '\xB0');
  const SignatureMatcher matcher("\xB0\xB0\xB0\xB0\xB0Q");
  EXPECT_FALSE(matcher.FindIn(bytes));
  EXPECT_FALSE(matcher.FindIn(bytes + "Q"));     // the run before the line is odd
  EXPECT_TRUE(matcher.FindIn(bytes + "\xB0Q"));  // and here even
}

// Random texts and lists over a small alphabet, so that lines occur often, near misses are
// common, and 0x80-0xFF bytes, zero bytes and line breaks appear everywhere.
void CompareRandomCases() {
  static const char kAlphabet[] = {'a', 'b', 'c', '\x80', '\xB0', '\xFF', '\r', '\n', '\0', 'e'};
  for (uint32_t seed = 1; seed <= 3000; ++seed) {
    std::mt19937 rng(seed);
    auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
    auto random_bytes = [&](size_t len, size_t alphabet) {
      std::string s;
      for (size_t i = 0; i < len; ++i) s += kAlphabet[pick(alphabet)];
      return s;
    };
    std::string text_bytes = random_bytes(pick(300), pick(10) < 7 ? 8 : 10);
    std::string signatures;
    const size_t lines = pick(6);
    for (size_t i = 0; i < lines; ++i) {
      if (i > 0 || pick(8) == 0) signatures += "\r\n";
      // Mostly lines cut from the text itself, so that hits and near-hits are frequent.
      if (!text_bytes.empty() && pick(3) != 0) {
        const size_t from = pick(text_bytes.size());
        signatures += BytesToText(text_bytes.substr(from, 1 + pick(6)));
      } else {
        signatures += BytesToText(random_bytes(pick(5), 8));
      }
    }
    if (pick(6) == 0) signatures += "\r\n";
    ExpectSameAsReference(signatures, text_bytes,
                          "seed " + std::to_string(seed) + " sigs '" + Hex(signatures) +
                              "' text '" + Hex(text_bytes) + "'");
    if (::testing::Test::HasFailure()) return;  // one reproducible case is enough to read
  }
}

// A line whose first occurrences sit behind an odd run of 0x80-0xFF, with a later one at a
// character start, also overlapping the ones turned down: in a set large enough for the
// literal filter, a turned-down occurrence must not hide the later one of the same line.
TEST(Matcher, LaterOccurrenceAfterOneTurnedDownInALargeSet) {
  std::string filler;
  for (int i = 0; i < 200; ++i) filler += "zz" + std::to_string(i) + "q\r\n";
  const Case cases[] = {
      {"same line later", "eval(", "\xB0" "eval(" "xxxx" "eval(", true},
      {"only behind odd runs", "eval(", "\xB0" "eval(" "\xC3\xA9\xB0" "eval(", false},
      {"overlapping, second at a start", "aXa", "\xB0" "aXaXa", true},
      {"overlapping, none at a start", "aXa", "\xB0" "aXa\xB0" "aXa", false},
      {"one line inside another's occurrence", "\xB0" "ab\r\nab", "\xB0\xB0" "ab", true},
      {"far apart", "needle", "\xB0" "needle" + std::string(300, 'y') + "needle", true},
  };
  for (const Case& c : cases) {
    const std::string signatures = filler + c.signatures;
    EXPECT_EQ(ReferenceHit(signatures, c.bytes), c.hit) << c.name << ": the case itself";
    ExpectSameAsReference(signatures, c.bytes, c.name);
  }
}

// Many lines of mixed length: the anchors of long lines are chosen away from their start.
void CompareManyLines() {
  std::mt19937 rng(77);
  std::string text;
  for (int i = 0; i < 20000; ++i) text += static_cast<char>("abcdefgh()$_\xB0\xC3 "[rng() % 15]);
  for (size_t count : {8, 100, 1000}) {
    std::string signatures;
    for (size_t i = 0; i < count; ++i) {
      if (i > 0) signatures += "\r\n";
      const size_t len = 5 + rng() % 20;
      std::string line;
      for (size_t k = 0; k < len; ++k) line += "abcdefghijklmnop()$_\xB0"[rng() % 21];
      signatures += line;
    }
    for (int probe = 0; probe < 20; ++probe) {
      // Plant one line (sometimes behind a lone 0x80-0xFF byte) somewhere in the text.
      std::string bytes = text;
      const auto lines = SplitText(signatures, "\r\n");
      const std::string& line = lines[rng() % lines.size()];
      const size_t at = rng() % bytes.size();
      bytes.insert(at, (probe % 3 == 0 ? "\xB0" : "") + line);
      ExpectSameAsReference(signatures, bytes,
                            std::to_string(count) + " lines, probe " + std::to_string(probe));
    }
  }
}

TEST(Matcher, RandomAgainstReference) { CompareRandomCases(); }
TEST(Matcher, ManyLinesAgainstReference) { CompareManyLines(); }

// The same comparisons through the 16-byte filter, which a processor with the 32-byte one would
// otherwise never run here.
class MatcherWithout32ByteFilter : public ::testing::Test {
 protected:
  void SetUp() override { AllowAvx2ForTesting(false); }
  void TearDown() override { AllowAvx2ForTesting(true); }
};

TEST_F(MatcherWithout32ByteFilter, RandomAgainstReference) { CompareRandomCases(); }
TEST_F(MatcherWithout32ByteFilter, ManyLinesAgainstReference) { CompareManyLines(); }

}  // namespace
}  // namespace quarnel
