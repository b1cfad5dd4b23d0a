#include "engine/text.h"

#include <gtest/gtest.h>

namespace quarnel {
namespace {

struct FindCase {
  std::string haystack;
  std::string needle;
  int64_t expected;
};

TEST(FindInText, Table) {
  const FindCase cases[] = {
      {"abc", "", 1},
      {"", "", -1},
      {"", "a", -1},
      {"ab", "abc", -1},
      {"xxabc", "abc", 3},
      {"abcabc", "abc", 1},
      {"xabcabc", "bc", 3},
      {"EVAL(", "eval(", -1},
      // 41 is the second byte of the character B0 41.
      {"\xB0\x41", "\x41", -1},
      // A three-byte UTF-8 character: starts are 1, 3, 5, 6, ...
      {"\xE4\xBD\xA0" "eval(", "eval(", -1},
      {"\xE4\xBD\xA0" "eval(", "val(", 5},
      {"\xB0" "eval(", "eval(", -1},
      {"\xB0\xB0" "eval(", "eval(", 3},
      // 0x80 and 0xFF open characters too.
      {"\x80" "a" "a", "a", 3},
      {"\xFF" "a", "a", -1},
      // A match may end inside a two-byte character of the haystack.
      {"ab\xC1\x41", "b\xC1", 2},
      // The needle itself may start with a high byte, found only at a character start.
      {"a\xC1\xC1\xC1", "\xC1\xC1", 2},
      {"\xC1\xC1\xC1", "\xC1\xC1", 1},
      {"x\xC1\xC1\xC1\xC1", "\xC1\xC1\xC1", 2},
      // A lone high byte at the end.
      {"ab\xC1", "\xC1", 3},
      {"a\xC1", "a\xC1", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindInText(c.haystack, c.needle), c.expected)
        << "haystack=" << testing::PrintToString(c.haystack)
        << " needle=" << testing::PrintToString(c.needle);
  }
}

struct SplitCase {
  std::string text;
  std::string separator;
  TextList expected;
};

TEST(SplitText, Table) {
  const SplitCase cases[] = {
      {"a\r\nb", "\r\n", {"a", "b"}},
      {"a\r\n", "\r\n", {"a"}},
      {"\r\na", "\r\n", {"", "a"}},
      {"a\r\n\r\nb", "\r\n", {"a", "", "b"}},
      {"a\r\n\r\n", "\r\n", {"a", ""}},
      {"\r\n", "\r\n", {""}},
      {"\r\n\r\n", "\r\n", {"", ""}},
      {"", "\r\n", {}},
      {"abc", "\r\n", {"abc"}},
      {"abc", "", {"abc"}},
      {"", "", {}},
      {"aaa", "aa", {"", "a"}},
      {"\xB0|A", "|", {"\xB0|A"}},
      {"\xB0\xB0|A", "|", {"\xB0\xB0", "A"}},
      // A CR that is the second byte of a character does not start a line break.
      {"a\xB0\r\nb", "\r\n", {"a\xB0\r\nb"}},
      {"a\xB0\xB0\r\nb", "\r\n", {"a\xB0\xB0", "b"}},
      // A high byte as the text's last byte ends the walk; the rest is the last piece.
      {"a\r\nb\xB0", "\r\n", {"a", "b\xB0"}},
      {"*.*", "|", {"*.*"}},
      {"*.php|*.inc", "|", {"*.php", "*.inc"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitText(c.text, c.separator), c.expected)
        << "text=" << testing::PrintToString(c.text)
        << " separator=" << testing::PrintToString(c.separator);
  }
}

TEST(CompareText, UnsignedBytesAndPrefixes) {
  EXPECT_EQ(CompareText("", ""), 0);
  EXPECT_EQ(CompareText("a", "b"), -1);
  EXPECT_EQ(CompareText("b", "a"), 1);
  EXPECT_EQ(CompareText("a", "A"), 1);
  EXPECT_EQ(CompareText("\x80", "a"), 1);
  EXPECT_EQ(CompareText("ab", "abc"), -1);
  EXPECT_EQ(CompareText("abc", "ab"), 1);
  EXPECT_EQ(CompareText("abc", "abc"), 0);
}

TEST(RightText, CountsBytes) {
  EXPECT_EQ(RightText("D:\\www", 1), "w");
  EXPECT_EQ(RightText("D:\\", 1), "\\");
  EXPECT_EQ(RightText("abc", 5), "abc");
  EXPECT_EQ(RightText("abc", 0), "");
  EXPECT_EQ(RightText("abc", -3), "");
  EXPECT_EQ(RightText("", 1), "");
  EXPECT_EQ(RightText("a\xB0\x5C", 1), "\x5C");
}

TEST(BytesAndText, CutAtFirstZeroByte) {
  using namespace std::string_literals;
  EXPECT_EQ(BytesToText("ab\0c"s), "ab");
  EXPECT_EQ(BytesToText("\0abc"s), "");
  EXPECT_EQ(BytesToText(""), "");
  EXPECT_EQ(BytesToText("\xFF\xFE<\0?\0"s), "\xFF\xFE<");
  EXPECT_EQ(TextLength("ab\0c"s), 2);
  EXPECT_EQ(TextToBytes("\r\nD:\\a.php"), "\r\nD:\\a.php");
  EXPECT_EQ(TextToBytes("").size(), 0u);
}

TEST(ConcatTextAndBytes, JoinInOrder) {
  EXPECT_EQ(ConcatText({"", ""}), "");
  EXPECT_EQ(ConcatText({"\r\n", "/a.php"}), "\r\n/a.php");
  EXPECT_EQ(ConcatBytes({"", ""}).size(), 0u);
  EXPECT_EQ(ConcatBytes({"\x01", std::string_view("\x02\x03", 2)}), "\x01\x02\x03");
}

TEST(IsCharacterStart, AgreesWithTheForwardWalk) {
  // Walk a text forwards by the character rule and compare with the local backward test.
  const std::string text = "a\xB0\x41\xB0\xB0\xB0" "b\xFF\xFF\xFFx\x80";
  std::vector<bool> starts(text.size() + 1, false);
  for (size_t p = 0; p < text.size(); p += static_cast<unsigned char>(text[p]) >= 0x80 ? 2 : 1) {
    starts[p] = true;
  }
  for (size_t p = 0; p < text.size(); ++p) {
    EXPECT_EQ(IsCharacterStart(text, p), starts[p]) << "position " << p;
  }
}

}  // namespace
}  // namespace quarnel
