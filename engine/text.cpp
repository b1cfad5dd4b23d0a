#include "engine/text.h"

#include <cstring>

namespace quarnel {
namespace {

bool IsLeadByte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// Steps from one character start to the next.
size_t NextCharacterStart(std::string_view t, size_t pos) {
  return pos + (IsLeadByte(t[pos]) ? 2 : 1);
}

}  // namespace

int64_t TextLength(std::string_view t) {
  const size_t zero = t.find('\0');
  return static_cast<int64_t>(zero == std::string_view::npos ? t.size() : zero);
}

int CompareText(std::string_view a, std::string_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

Text ConcatText(std::initializer_list<std::string_view> parts) {
  size_t total = 0;
  for (auto p : parts) total += p.size();
  Text out;
  out.reserve(total);
  for (auto p : parts) out.append(p);
  return out;
}

ByteBuffer ConcatBytes(std::initializer_list<std::string_view> parts) { return ConcatText(parts); }

Text RightText(std::string_view t, int64_t n) {
  if (n <= 0) return Text();
  const size_t k = static_cast<uint64_t>(n) < t.size() ? static_cast<size_t>(n) : t.size();
  return Text(t.substr(t.size() - k));
}

int64_t FindInText(std::string_view haystack, std::string_view needle) {
  const size_t n = haystack.size();
  const size_t m = needle.size();
  if (m == 0) return n > 0 ? 1 : -1;
  size_t pos = 0;
  while (pos < n && n - pos >= m) {
    if (std::memcmp(haystack.data() + pos, needle.data(), m) == 0) {
      return static_cast<int64_t>(pos) + 1;
    }
    pos = NextCharacterStart(haystack, pos);
  }
  return -1;
}

TextList SplitText(std::string_view text, std::string_view separator) {
  TextList pieces;
  const size_t n = text.size();
  const size_t s = separator.size();
  if (n == 0) return pieces;
  if (s == 0) {
    pieces.emplace_back(text);
    return pieces;
  }
  size_t piece_start = 0;
  size_t pos = 0;
  while (pos < n && n - pos >= s) {
    if (std::memcmp(text.data() + pos, separator.data(), s) == 0) {
      pieces.emplace_back(text.substr(piece_start, pos - piece_start));
      pos += s;
      piece_start = pos;
    } else {
      pos = NextCharacterStart(text, pos);
    }
  }
  if (piece_start < n) pieces.emplace_back(text.substr(piece_start));
  return pieces;
}

Text BytesToText(std::string_view bytes) {
  return Text(bytes.substr(0, static_cast<size_t>(TextLength(bytes))));
}

ByteBuffer TextToBytes(std::string_view t) { return ByteBuffer(t); }

bool IsCharacterStart(std::string_view data, size_t pos) {
  size_t run = 0;
  while (run < pos && IsLeadByte(data[pos - 1 - run])) ++run;
  return run % 2 == 0;
}

}  // namespace quarnel
