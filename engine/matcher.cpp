#include "engine/matcher.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define QUARNEL_HAVE_SSSE3 1
#endif

namespace quarnel {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

std::atomic<bool> g_avx2_allowed{true};

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

// The start of the least common window of `width` bytes in line.
size_t LeastCommonWindow(const std::string& line, size_t width) {
  size_t best = 0;
  int best_score = 1 << 30;
  for (size_t a = 0; a + width <= line.size(); ++a) {
    int score = 0;
    for (size_t k = a; k < a + width; ++k) score += Commonness(line[k]);
    if (score < best_score) {
      best_score = score;
      best = a;
    }
  }
  return best;
}

// The gram's bytes in text order, first byte most significant: sorting by it groups windows by
// their first bytes.
uint32_t LoadGramReversed(uint32_t gram, unsigned q) {
  uint32_t key = 0;
  for (unsigned k = 0; k < q; ++k) key = (key << 8) | ((gram >> (8 * k)) & 0xFF);
  return key;
}

// Up to this many lines the SIMD filter's 8 buckets stay selective.
constexpr size_t kTeddyMaxLines = 64;
constexpr unsigned kTeddyWindow = 3;

#ifdef QUARNEL_HAVE_SSSE3

bool HasSimd() { return __builtin_cpu_supports("ssse3"); }

// The bucket bits of the windows that end in each lane of the 16 bytes at p; prev0 and prev1
// hold the masks of window bytes 0 and 1 of the block before and are updated.
__attribute__((target("ssse3"), always_inline)) inline unsigned TeddyBlock(
    const char* p, __m128i lo0, __m128i hi0, __m128i lo1, __m128i hi1, __m128i lo2, __m128i hi2,
    __m128i* prev0, __m128i* prev1) {
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i low = _mm_and_si128(v, nibble);
  const __m128i high = _mm_and_si128(_mm_srli_epi16(v, 4), nibble);
  const __m128i m0 = _mm_and_si128(_mm_shuffle_epi8(lo0, low), _mm_shuffle_epi8(hi0, high));
  const __m128i m1 = _mm_and_si128(_mm_shuffle_epi8(lo1, low), _mm_shuffle_epi8(hi1, high));
  const __m128i m2 = _mm_and_si128(_mm_shuffle_epi8(lo2, low), _mm_shuffle_epi8(hi2, high));
  // Lane j: window byte 2 at j, byte 1 at j-1, byte 0 at j-2.
  const __m128i all = _mm_and_si128(
      m2, _mm_and_si128(_mm_alignr_epi8(m1, *prev1, 15), _mm_alignr_epi8(m0, *prev0, 14)));
  *prev0 = m0;
  *prev1 = m1;
  return ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(all, _mm_setzero_si128()))) &
         0xFFFF;
}

// Calls candidate(t) for every position t of data[begin, end) where the `width` bytes from t
// pass the nibble masks of some bucket, in ascending order, until it returns true. Reads up to 15
// bytes past end (the caller's slack). Always works on 3-byte windows: a shorter window's tables
// pass every byte in front of it. The masks of the previous block carry over, so that windows
// across a block edge are seen.
template <class Candidate>
__attribute__((target("ssse3"))) bool TeddyScan(const uint8_t* tables, unsigned width,
                                                const char* data, size_t begin, size_t end,
                                                Candidate candidate) {
  const __m128i zero = _mm_setzero_si128();
  auto table = [&](unsigned i) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(tables + i * 16));
  };
  const __m128i lo0 = table(0), hi0 = table(1), lo1 = table(2), hi1 = table(3);
  const __m128i lo2 = table(4), hi2 = table(5);
  // Before begin no window may start: masks of real window bytes are empty there.
  __m128i prev0 = width < 3 ? _mm_set1_epi8(-1) : zero;
  __m128i prev1 = width < 2 ? _mm_set1_epi8(-1) : zero;
  const size_t back = width - 1;
  auto report = [&](size_t x, unsigned bits) {
    while (bits != 0) {
      const unsigned j = static_cast<unsigned>(__builtin_ctz(bits));
      bits &= bits - 1;
      if (candidate(x + j - back)) return true;
    }
    return false;
  };
  size_t x = begin;
  // Two blocks a round: candidates are rare, so one test covers 32 lanes.
  for (; x + 32 <= end; x += 32) {
    const unsigned first = TeddyBlock(data + x, lo0, hi0, lo1, hi1, lo2, hi2, &prev0, &prev1);
    const unsigned second =
        TeddyBlock(data + x + 16, lo0, hi0, lo1, hi1, lo2, hi2, &prev0, &prev1);
    if ((first | second) == 0) continue;
    if (report(x, first | (second << 16))) return true;
  }
  for (; x < end; x += 16) {
    unsigned bits = TeddyBlock(data + x, lo0, hi0, lo1, hi1, lo2, hi2, &prev0, &prev1);
    if (end - x < 16) bits &= (1u << (end - x)) - 1;
    if (report(x, bits)) return true;
  }
  return false;
}

bool HasAvx2() { return __builtin_cpu_supports("avx2"); }

// TeddyBlock on 32 bytes. The byte shifts cross the middle of the register through a permute
// that puts the previous block's upper half under this block's lower half.
__attribute__((target("avx2"), always_inline)) inline uint32_t TeddyBlock2(
    const char* p, __m256i lo0, __m256i hi0, __m256i lo1, __m256i hi1, __m256i lo2, __m256i hi2,
    __m256i* prev0, __m256i* prev1) {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  const __m256i low = _mm256_and_si256(v, nibble);
  const __m256i high = _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble);
  const __m256i m0 = _mm256_and_si256(_mm256_shuffle_epi8(lo0, low), _mm256_shuffle_epi8(hi0, high));
  const __m256i m1 = _mm256_and_si256(_mm256_shuffle_epi8(lo1, low), _mm256_shuffle_epi8(hi1, high));
  const __m256i m2 = _mm256_and_si256(_mm256_shuffle_epi8(lo2, low), _mm256_shuffle_epi8(hi2, high));
  const __m256i back0 = _mm256_permute2x128_si256(*prev0, m0, 0x21);
  const __m256i back1 = _mm256_permute2x128_si256(*prev1, m1, 0x21);
  const __m256i all = _mm256_and_si256(
      m2, _mm256_and_si256(_mm256_alignr_epi8(m1, back1, 15), _mm256_alignr_epi8(m0, back0, 14)));
  *prev0 = m0;
  *prev1 = m1;
  return ~static_cast<uint32_t>(
      _mm256_movemask_epi8(_mm256_cmpeq_epi8(all, _mm256_setzero_si256())));
}

// One 16-byte nibble table in both halves of a register.
__attribute__((target("avx2"), always_inline)) inline __m256i BroadcastTable(
    const uint8_t* tables, unsigned i) {
  return _mm256_broadcastsi128_si256(
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(tables + i * 16)));
}

// TeddyScan with 32-byte blocks, finishing the last bytes with 16-byte ones.
template <class Candidate>
__attribute__((target("avx2"))) bool TeddyScan2(const uint8_t* tables, unsigned width,
                                               const char* data, size_t begin, size_t end,
                                               Candidate candidate) {
  const __m256i lo0 = BroadcastTable(tables, 0), hi0 = BroadcastTable(tables, 1);
  const __m256i lo1 = BroadcastTable(tables, 2), hi1 = BroadcastTable(tables, 3);
  const __m256i lo2 = BroadcastTable(tables, 4), hi2 = BroadcastTable(tables, 5);
  __m256i prev0 = width < 3 ? _mm256_set1_epi8(-1) : _mm256_setzero_si256();
  __m256i prev1 = width < 2 ? _mm256_set1_epi8(-1) : _mm256_setzero_si256();
  const size_t back = width - 1;
  auto report = [&](size_t x, uint32_t bits) {
    while (bits != 0) {
      const unsigned j = static_cast<unsigned>(__builtin_ctz(bits));
      bits &= bits - 1;
      if (candidate(x + j - back)) return true;
    }
    return false;
  };
  size_t x = begin;
  for (; x + 32 <= end; x += 32) {
    const uint32_t bits = TeddyBlock2(data + x, lo0, hi0, lo1, hi1, lo2, hi2, &prev0, &prev1);
    if (bits != 0 && report(x, bits)) return true;
  }
  const __m128i small_lo0 = _mm256_castsi256_si128(lo0), small_hi0 = _mm256_castsi256_si128(hi0);
  const __m128i small_lo1 = _mm256_castsi256_si128(lo1), small_hi1 = _mm256_castsi256_si128(hi1);
  const __m128i small_lo2 = _mm256_castsi256_si128(lo2), small_hi2 = _mm256_castsi256_si128(hi2);
  __m128i small_prev0 = _mm256_extracti128_si256(prev0, 1);
  __m128i small_prev1 = _mm256_extracti128_si256(prev1, 1);
  for (; x < end; x += 16) {
    uint32_t bits = TeddyBlock(data + x, small_lo0, small_hi0, small_lo1, small_hi1, small_lo2,
                               small_hi2, &small_prev0, &small_prev1);
    if (end - x < 16) bits &= (1u << (end - x)) - 1;
    if (report(x, bits)) return true;
  }
  return false;
}

#else

bool HasSimd() { return false; }

template <class Candidate>
bool TeddyScan(const uint8_t*, unsigned, const char*, size_t, size_t, Candidate) {
  return false;  // never chosen: HasSimd() is false
}

bool HasAvx2() { return false; }

template <class Candidate>
bool TeddyScan2(const uint8_t*, unsigned, const char*, size_t, size_t, Candidate) {
  return false;
}

#endif

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
  if (HasSimd() && lines_.size() <= kTeddyMaxLines) {
    BuildTeddy();
  } else {
    literals_ = LiteralPrefilter::Create(lines_);
    if (!literals_) BuildSampled();
  }
  BuildIndex();
}

// Each line anchors one window of q_ bytes, its least common; the SIMD filter looks at every
// position, so one anchor per line suffices.
void SignatureMatcher::BuildTeddy() {
  q_ = static_cast<unsigned>(std::min<size_t>(shortest_, kTeddyWindow));
  stride_ = 1;
  gram_mask_ = (1u << (8 * q_)) - 1;
  std::vector<std::pair<uint32_t, uint32_t>> windows;  // (gram, line)
  for (uint32_t li = 0; li < lines_.size(); ++li) {
    const size_t a = LeastCommonWindow(lines_[li], q_);
    entries_.push_back(Entry{LoadGram(lines_[li].data() + a, q_), li, static_cast<uint32_t>(a)});
  }
  // Lines with similar windows share a bucket, so that each bucket's nibble sets stay small.
  std::vector<size_t> order(entries_.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t x, size_t y) {
    return LoadGramReversed(entries_[x].gram, q_) < LoadGramReversed(entries_[y].gram, q_);
  });
  // A window shorter than kTeddyWindow bytes sits at the end; the bytes in front pass anything.
  teddy_.assign(2 * kTeddyWindow * 16, 0);
  const unsigned pad = kTeddyWindow - q_;
  for (unsigned k = 0; k < pad; ++k) {
    std::fill(teddy_.begin() + 2 * k * 16, teddy_.begin() + (2 * k + 2) * 16, uint8_t{0xFF});
  }
  for (size_t rank = 0; rank < order.size(); ++rank) {
    const uint32_t gram = entries_[order[rank]].gram;
    const auto bit = static_cast<uint8_t>(1u << (rank * 8 / order.size()));
    for (unsigned k = 0; k < q_; ++k) {
      const unsigned byte = (gram >> (8 * k)) & 0xFF;
      teddy_[(2 * (pad + k)) * 16 + (byte & 15)] |= bit;
      teddy_[(2 * (pad + k) + 1) * 16 + (byte >> 4)] |= bit;
    }
  }
}

// Each line anchors the q-byte grams at `stride_` consecutive offsets: any stride_ consecutive
// text positions include one sampled position, so sampling every stride_ bytes meets each
// occurrence at one of its anchors.
void SignatureMatcher::BuildSampled() {
  q_ = static_cast<unsigned>(std::min<size_t>(shortest_, kMaxGram));
  stride_ = static_cast<unsigned>(std::min<size_t>(shortest_ - q_ + 1, kMaxStride));
  gram_mask_ = q_ == 4 ? 0xFFFFFFFFu : (1u << (8 * q_)) - 1;
  for (uint32_t li = 0; li < lines_.size(); ++li) {
    const size_t a = LeastCommonWindow(lines_[li], stride_ - 1 + q_);
    for (uint32_t o = 0; o < stride_; ++o) {
      entries_.push_back(Entry{LoadGram(lines_[li].data() + a + o, q_), li,
                               static_cast<uint32_t>(a + o)});
    }
  }
}

// The exact look-up from an anchor gram to its entries, and the filter bits of the scalar path.
void SignatureMatcher::BuildIndex() {
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
  if (literals_) {
    return literals_->Find(data, begin, end, [&](size_t p) { return starts.IsStart(p); });
  }
  if (!teddy_.empty()) {
    auto verify = [&](size_t t) {
      return Verify(data, begin, end, t, LoadGram(data + t, q_), &starts);
    };
    static const bool have_avx2 = HasAvx2();
    const bool avx2 = have_avx2 && g_avx2_allowed.load(std::memory_order_relaxed);
    return avx2 ? TeddyScan2(teddy_.data(), q_, data, begin, end, verify)
                : TeddyScan(teddy_.data(), q_, data, begin, end, verify);
  }
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

void AllowAvx2ForTesting(bool allowed) {
  g_avx2_allowed.store(allowed, std::memory_order_relaxed);
}

}  // namespace quarnel
