// The fast signature test: does a file text hold any line of a signature text at a character
// start? It answers exactly as trying every line of SplitText(signature_text, "\r\n") with
// FindInText does (text.h keeps that plain version), but builds its tables once per signature
// text and reads a file in bounded chunks.
//
// SignatureMatcher is built once and then only read: any number of threads may share it.
// MatchStream is one worker's scratch (its chunk buffer); one thread at a time uses it.
#ifndef QUARNEL_ENGINE_MATCHER_H_
#define QUARNEL_ENGINE_MATCHER_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/literal_prefilter.h"
#include "engine/text.h"

namespace quarnel {

class SignatureMatcher {
 public:
  // Splits signature_text at "\r\n" as SplitText does and prepares the search. Cannot fail.
  explicit SignatureMatcher(std::string_view signature_text);

  SignatureMatcher(const SignatureMatcher&) = delete;
  SignatureMatcher& operator=(const SignatureMatcher&) = delete;

  // True when text holds one of the lines at a character start. text is taken as the file text:
  // callers cut it at the first zero byte (BytesToText) first.
  bool FindIn(std::string_view text) const;

  // No line at all: no text is ever a hit.
  bool never_matches() const { return never_; }
  // An empty line: every non-empty text is a hit.
  bool matches_any_text() const { return any_text_; }
  // Bytes of the longest line; a chunked search carries this many minus one across chunk ends.
  size_t longest() const { return longest_; }

  // Searches data[begin, end) for a line that lies wholly inside it and starts at a character
  // start. carry_odd says whether the run of bytes 0x80-0xFF ending just before begin, which may
  // reach back before data, has odd length. data must stay readable up to end + kSlack.
  bool Search(const char* data, size_t begin, size_t end, bool carry_odd) const;

  // Readable bytes a Search needs past its end.
  static constexpr size_t kSlack = 16;

 private:
  struct Entry {
    uint32_t gram;    // the q bytes at the anchor, little endian
    uint32_t line;    // index into lines_
    uint32_t offset;  // anchor position inside the line
  };

  bool Verify(const char* data, size_t begin, size_t end, size_t t, uint32_t gram,
              class CharStartCache* starts) const;

  void BuildTeddy();
  void BuildSampled();
  void BuildIndex();

  bool never_ = true;
  bool any_text_ = false;
  size_t longest_ = 0;
  size_t shortest_ = 0;
  // Anchors: every line registers the q-byte grams at `stride` consecutive offsets, so that
  // sampling the text every `stride` bytes meets each occurrence at one of them.
  unsigned q_ = 1;
  unsigned stride_ = 1;
  uint32_t gram_mask_ = 0xFF;
  std::vector<std::string> lines_;
  // A bit per hashed gram: the cheap first test at every sampled position.
  std::vector<uint64_t> filter_;
  // Entries sorted by gram; bucket_start_ indexes them by hashed gram for the exact look-up.
  std::vector<Entry> entries_;
  std::vector<uint32_t> bucket_start_;
  unsigned filter_bits_ = 10;
  // The SIMD path: a 3-byte window of every line, its nibbles spread over 8 buckets
  // (teddy_[2k] low nibbles, teddy_[2k+1] high nibbles of window byte k). Empty when not used.
  std::vector<uint8_t> teddy_;
  // Vectorscan's literal matcher, for sets above the SIMD filter's size. Null when not used.
  std::unique_ptr<LiteralPrefilter> literals_;
};

// Reads one file text after another in fixed-size chunks into one reused buffer and stops at the
// first zero byte or the first hit. Memory: chunk_size plus the matcher's longest line.
class MatchStream {
 public:
  // REQUIRES: chunk_size >= 1.
  explicit MatchStream(size_t chunk_size = kDefaultChunkSize);

  enum class State { kGoOn, kHit, kNoHit };

  // Starts a new file text searched with matcher, which must outlive the file's search.
  void Begin(const SignatureMatcher& matcher);

  // Where the next chunk goes: room for up to ChunkSize() bytes. Valid until the next call.
  char* ChunkBuffer();
  size_t ChunkSize() const { return chunk_size_; }

  // Takes the n bytes just written to ChunkBuffer(). kHit: a line was found. kNoHit: a zero byte
  // ended the text without a hit (read no further). kGoOn: give the next chunk, or call End().
  State Push(size_t n);

  // The file has no more bytes: kHit or kNoHit.
  State End();

  // Searches a whole text as chunks of ChunkSize() bytes; for tests of the chunk seams.
  bool FindIn(const SignatureMatcher& matcher, std::string_view bytes);

  static constexpr size_t kDefaultChunkSize = 128 * 1024;

 private:
  const SignatureMatcher* matcher_ = nullptr;
  const size_t chunk_size_;
  std::vector<char> buffer_;
  size_t kept_ = 0;        // bytes carried from the last chunk at the buffer's front
  bool carry_odd_ = false; // parity of the 0x80-0xFF run just before buffer_[0]
  bool any_byte_ = false;  // the text has at least one byte
  State state_ = State::kGoOn;
};

// Lets tests run the 16-byte filter on a processor that has the 32-byte one. Any thread.
void AllowAvx2ForTesting(bool allowed);

}  // namespace quarnel

#endif  // QUARNEL_ENGINE_MATCHER_H_
