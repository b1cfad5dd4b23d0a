// Text and byte operations of the scan engine.
//
// A Text is a run of bytes in the system's ANSI code page that never holds a zero byte; an
// absent text and the empty text are the same value. A ByteBuffer may hold zero bytes. Both are
// plain std::string values: the distinct names say which rule a value follows.
//
// FindInText and SplitText walk a text by characters: a byte 0x80-0xFF takes the byte after it
// along as the second byte of a two-byte character, whatever that byte is. Everything else here
// works on bytes. These are the plain reference versions; faster matchers are checked against them.
//
// All functions are pure and may be called from any thread.
#ifndef QUARNEL_ENGINE_TEXT_H_
#define QUARNEL_ENGINE_TEXT_H_

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

using Text = std::string;
using ByteBuffer = std::string;
using TextList = std::vector<Text>;

// Bytes before the first zero byte.
int64_t TextLength(std::string_view t);

// -1, 0 or 1: byte-wise comparison with unsigned bytes; a proper prefix is the smaller.
int CompareText(std::string_view a, std::string_view b);

Text ConcatText(std::initializer_list<std::string_view> parts);
ByteBuffer ConcatBytes(std::initializer_list<std::string_view> parts);

// The last n bytes of t (all of t when it is shorter; empty for n <= 0).
Text RightText(std::string_view t, int64_t n);

// 1-based byte position of the first occurrence of needle in haystack that begins at a character
// start, or -1. The empty needle is found at 1 in every non-empty haystack and nowhere in the
// empty one.
int64_t FindInText(std::string_view haystack, std::string_view needle);

// The pieces of text between occurrences of separator found at character starts, left to right,
// without overlap. Empty text gives no piece; a separator at the very end gives no empty last piece.
TextList SplitText(std::string_view text, std::string_view separator);

// The bytes before the first zero byte.
Text BytesToText(std::string_view bytes);
ByteBuffer TextToBytes(std::string_view t);

// True when position pos of data begins a character, judged from the bytes before it alone: the
// run of bytes 0x80-0xFF directly before pos has even length.
bool IsCharacterStart(std::string_view data, size_t pos);

}  // namespace quarnel

#endif  // QUARNEL_ENGINE_TEXT_H_
