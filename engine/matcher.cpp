#include "engine/matcher.h"

#include <algorithm>
#include <cstring>

namespace quarnel {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

// Anchor grams are at most 4 bytes: one unaligned 32-bit load reads them.
constexpr unsigned kMaxGram = 4;
// Sampling further apart needs more anchors per line, which fills the filter: 4 balances both.
constexpr unsigned kMaxStride = 4;
constexpr uint32_t kHashMultiplier = 0x9E3779B1u;

bool IsHigh(char c) { return static_cast<unsigned char>(c) >= 0x80; }

uint32_t Load32(const char* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;  // the engine only targets little-endian machines; grams are built the same way
}

uint32_t LoadGram(const char* p, unsigned q) {
  uint32_t v = 0;
  std::memcpy(&v, p, q);
  return v;
}

// Rough commonness of a byte in source text, to steer anchors away from the common grams.
int Commonness(char c) {
  if ((c >= 'a' && c <= 'z') || c == ' ' || c == '$' || c == '\n' || c == '\t') return 3;
  if (c == '(' || c == ')' || c == ';' || c == '_' || c == '>' || c == '-' || c == '=') return 2;
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return 1;
  return 0;
}

}  // namespace

// Tells whether a position of a buffer is a character start: whether the run of bytes 0x80-0xFF
// directly before it has even length. Remembers the last run it measured, so that candidates in
// ascending order (the search's order, give or take an anchor offset) cost linear time in total
// even inside a long run of such bytes.
class CharStartCache {
 public:
  CharStartCache(const char* data, size_t begin, bool carry_odd)
      : data_(data), begin_(begin), carry_odd_(carry_odd) {}

  bool IsStart(size_t p) {
    if (p == begin_) return !carry_odd_;
    if (!IsHigh(data_[p - 1])) return true;
    size_t i = p - 1;  // data_[i] is high; walk back to the run's first byte
    size_t run_start;
    bool at_begin;
    for (;;) {
      if (known_ && i >= run_start_ && i < run_end_) {
        run_start = run_start_;
        at_begin = run_at_begin_;
        break;
      }
      if (i == begin_) {
        run_start = begin_;
        at_begin = true;
        break;
      }
      if (!IsHigh(data_[i - 1])) {
        run_start = i;
        at_begin = false;
        break;
      }
      --i;
    }
    const bool same_run = known_ && run_start == run_start_;
    run_end_ = same_run ? std::max(run_end_, p) : p;
    run_start_ = run_start;
    run_at_begin_ = at_begin;
    known_ = true;
    const bool odd = ((p - run_start) & 1) != 0;
    return !(at_begin ? odd != carry_odd_ : odd);
  }

 private:
  const char* data_;
  size_t begin_;
  bool carry_odd_;
  // [run_start_, run_end_) is known to be all high bytes, preceded by a low byte or by begin_.
  bool known_ = false;
  size_t run_start_ = 0;
  size_t run_end_ = 0;
  bool run_at_begin_ = false;
};

SignatureMatcher::SignatureMatcher(std::string_view signature_text) {
  TextList lines = SplitText(signature_text, kLineBreak);
  never_ = lines.empty();
  for (const Text& line : lines) {
    if (line.empty()) any_text_ = true;
  }
  // An empty line is found in every non-empty text and in no empty one, and so is the set of
  // lines as a whole: nothing else to prepare.
  if (never_ || any_text_) return;

  std::sort(lines.begin(), lines.end());
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  lines_ = std::move(lines);
  shortest_ = lines_[0].size();
  for (const std::string& line : lines_) {
    shortest_ = std::min(shortest_, line.size());
    longest_ = std::max(longest_, line.size());
  }
  q_ = static_cast<unsigned>(std::min<size_t>(shortest_, kMaxGram));
  stride_ = static_cast<unsigned>(std::min<size_t>(shortest_ - q_ + 1, kMaxStride));
  gram_mask_ = q_ == 4 ? 0xFFFFFFFFu : (1u << (8 * q_)) - 1;

  // Each line anchors `stride_` grams at consecutive offsets: any stride_ consecutive text
  // positions include one sampled position. Among the windows that fit, take the least common.
  for (uint32_t li = 0; li < lines_.size(); ++li) {
    const std::string& line = lines_[li];
    size_t best = 0;
    int best_score = 1 << 30;
    for (size_t a = 0; a + stride_ - 1 + q_ <= line.size(); ++a) {
      int score = 0;
      for (size_t k = a; k < a + stride_ - 1 + q_; ++k) score += Commonness(line[k]);
      if (score < best_score) {
        best_score = score;
        best = a;
      }
    }
    for (uint32_t o = 0; o < stride_; ++o) {
      entries_.push_back(Entry{LoadGram(line.data() + best + o, q_), li,
                               static_cast<uint32_t>(best + o)});
    }
  }

  // About 64 filter bits per anchor keeps false alarms near 1.5%; 2^18 bits (32 KiB) at most.
  unsigned bits = 10;
  while (bits < 18 && (size_t{1} << bits) < entries_.size() * 64) ++bits;
  filter_bits_ = bits;
  filter_.assign((size_t{1} << bits) / 64, 0);
  auto bucket_of = [this](uint32_t gram) {
    return static_cast<uint32_t>((gram * kHashMultiplier) >> (32 - filter_bits_));
  };
  for (const Entry& e : entries_) {
    const uint32_t h = bucket_of(e.gram);
    filter_[h >> 6] |= uint64_t{1} << (h & 63);
  }
  std::sort(entries_.begin(), entries_.end(), [&](const Entry& a, const Entry& b) {
    return bucket_of(a.gram) < bucket_of(b.gram);
  });
  bucket_start_.assign((size_t{1} << bits) + 1, 0);
  for (const Entry& e : entries_) ++bucket_start_[bucket_of(e.gram) + 1];
  for (size_t i = 1; i < bucket_start_.size(); ++i) bucket_start_[i] += bucket_start_[i - 1];
}

bool SignatureMatcher::Verify(const char* data, size_t begin, size_t end, size_t t,
                              uint32_t gram, CharStartCache* starts) const {
  const uint32_t h = (gram * kHashMultiplier) >> (32 - filter_bits_);
  for (uint32_t k = bucket_start_[h]; k < bucket_start_[h + 1]; ++k) {
    const Entry& e = entries_[k];
    if (e.gram != gram || t < begin + e.offset) continue;
    const size_t p = t - e.offset;
    const std::string& line = lines_[e.line];
    if (line.size() > end - p) continue;
    if (std::memcmp(data + p, line.data(), line.size()) == 0 && starts->IsStart(p)) return true;
  }
  return false;
}

bool SignatureMatcher::Search(const char* data, size_t begin, size_t end, bool carry_odd) const {
  if (never_ || end <= begin) return false;
  if (any_text_) return true;
  if (end - begin < shortest_) return false;
  CharStartCache starts(data, begin, carry_odd);
  const uint64_t* filter = filter_.data();
  const unsigned shift = 32 - filter_bits_;
  const uint32_t mask = gram_mask_;
  const size_t stride = stride_;
  const size_t last = end - q_;  // the last position whose gram lies inside the region
  size_t t = begin;
  // Four independent look-ups per round keep the loads in flight; a hit in the filter is rare.
  for (; t + 3 * stride <= last; t += 4 * stride) {
    const uint32_t g0 = Load32(data + t) & mask;
    const uint32_t g1 = Load32(data + t + stride) & mask;
    const uint32_t g2 = Load32(data + t + 2 * stride) & mask;
    const uint32_t g3 = Load32(data + t + 3 * stride) & mask;
    const uint32_t h0 = (g0 * kHashMultiplier) >> shift;
    const uint32_t h1 = (g1 * kHashMultiplier) >> shift;
    const uint32_t h2 = (g2 * kHashMultiplier) >> shift;
    const uint32_t h3 = (g3 * kHashMultiplier) >> shift;
    const uint64_t f0 = filter[h0 >> 6] >> (h0 & 63);
    const uint64_t f1 = filter[h1 >> 6] >> (h1 & 63);
    const uint64_t f2 = filter[h2 >> 6] >> (h2 & 63);
    const uint64_t f3 = filter[h3 >> 6] >> (h3 & 63);
    if (((f0 | f1 | f2 | f3) & 1) == 0) continue;
    if ((f0 & 1) && Verify(data, begin, end, t, g0, &starts)) return true;
    if ((f1 & 1) && Verify(data, begin, end, t + stride, g1, &starts)) return true;
    if ((f2 & 1) && Verify(data, begin, end, t + 2 * stride, g2, &starts)) return true;
    if ((f3 & 1) && Verify(data, begin, end, t + 3 * stride, g3, &starts)) return true;
  }
  for (; t <= last; t += stride) {
    const uint32_t g = Load32(data + t) & mask;
    const uint32_t h = (g * kHashMultiplier) >> shift;
    if ((filter[h >> 6] >> (h & 63)) & 1) {
      if (Verify(data, begin, end, t, g, &starts)) return true;
    }
  }
  return false;
}

bool SignatureMatcher::FindIn(std::string_view text) const {
  MatchStream stream(std::max<size_t>(text.size(), 1));
  return stream.FindIn(*this, text);
}

MatchStream::MatchStream(size_t chunk_size) : chunk_size_(std::max<size_t>(chunk_size, 1)) {}

void MatchStream::Begin(const SignatureMatcher& matcher) {
  matcher_ = &matcher;
  const size_t keep = matcher.longest() > 0 ? matcher.longest() - 1 : 0;
  const size_t need = keep + chunk_size_ + SignatureMatcher::kSlack;
  if (buffer_.size() < need) buffer_.resize(need);
  kept_ = 0;
  carry_odd_ = false;
  any_byte_ = false;
  state_ = matcher.never_matches() ? State::kNoHit : State::kGoOn;
}

char* MatchStream::ChunkBuffer() { return buffer_.data() + kept_; }

MatchStream::State MatchStream::Push(size_t n) {
  if (state_ != State::kGoOn || n == 0) return state_;
  char* fresh = buffer_.data() + kept_;
  const void* zero = std::memchr(fresh, 0, n);
  const size_t text_bytes = zero ? static_cast<size_t>(static_cast<const char*>(zero) - fresh) : n;
  if (text_bytes > 0) any_byte_ = true;
  const size_t end = kept_ + text_bytes;
  if (matcher_->matches_any_text()) {
    if (any_byte_) return state_ = State::kHit;
  } else if (matcher_->Search(buffer_.data(), 0, end, carry_odd_)) {
    return state_ = State::kHit;
  }
  if (zero) return state_ = State::kNoHit;  // the text ends at the zero byte

  // Carry the bytes that could still begin a line ending in a later chunk, and the parity of
  // the 0x80-0xFF run just before them.
  const size_t keep = std::min(matcher_->longest() > 0 ? matcher_->longest() - 1 : 0, end);
  const size_t from = end - keep;
  size_t run = 0;
  while (run < from && IsHigh(buffer_[from - 1 - run])) ++run;
  carry_odd_ = ((run & 1) != 0) != (run == from && carry_odd_);
  std::memmove(buffer_.data(), buffer_.data() + from, keep);
  kept_ = keep;
  return state_;
}

MatchStream::State MatchStream::End() {
  if (state_ == State::kGoOn) state_ = State::kNoHit;
  return state_;
}

bool MatchStream::FindIn(const SignatureMatcher& matcher, std::string_view bytes) {
  Begin(matcher);
  while (state_ == State::kGoOn && !bytes.empty()) {
    const size_t n = std::min(bytes.size(), chunk_size_);
    std::memcpy(ChunkBuffer(), bytes.data(), n);
    bytes.remove_prefix(n);
    Push(n);
  }
  return End() == State::kHit;
}

}  // namespace quarnel
