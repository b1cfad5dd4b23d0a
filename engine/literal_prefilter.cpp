#include "engine/literal_prefilter.h"

#include <hs.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <new>

namespace quarnel {
namespace {

// One thread's scratch space. Sized again whenever the thread moves to another database; sizing
// only ever grows it, so it stays good for the databases it served before.
struct ThreadScratch {
  hs_scratch_t* scratch = nullptr;
  uint64_t sized_for = 0;

  ThreadScratch() = default;
  ThreadScratch(const ThreadScratch&) = delete;
  ThreadScratch& operator=(const ThreadScratch&) = delete;
  ~ThreadScratch() { hs_free_scratch(scratch); }
};

thread_local ThreadScratch tls_scratch;

std::atomic<uint64_t> next_database_id{1};

}  // namespace

struct LiteralPrefilter::Database {
  hs_database_t* db = nullptr;

  Database() = default;
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;
  ~Database() { hs_free_database(db); }
};

std::unique_ptr<LiteralPrefilter> LiteralPrefilter::Create(
    const std::vector<std::string>& literals) {
  if (literals.empty() || literals.size() > UINT_MAX || hs_valid_platform() != HS_SUCCESS) {
    return nullptr;
  }
  std::vector<const char*> expressions;
  std::vector<size_t> lens;
  std::vector<unsigned> ids;
  std::unique_ptr<LiteralPrefilter> filter(new LiteralPrefilter());
  for (size_t i = 0; i < literals.size(); ++i) {
    if (literals[i].empty() || literals[i].size() > UINT32_MAX) return nullptr;
    expressions.push_back(literals[i].data());
    lens.push_back(literals[i].size());
    ids.push_back(static_cast<unsigned>(i));
    filter->lengths_.push_back(static_cast<uint32_t>(literals[i].size()));
    filter->longest_ = std::max(filter->longest_, literals[i].size());
  }
  // No HS_FLAG_SINGLEMATCH: an occurrence the caller turns down must not hide a later one of the
  // same literal.
  std::vector<unsigned> flags(literals.size(), 0);
  filter->db_ = std::make_unique<Database>();
  hs_compile_error_t* error = nullptr;
  if (hs_compile_lit_multi(expressions.data(), flags.data(), ids.data(), lens.data(),
                           static_cast<unsigned>(literals.size()), HS_MODE_BLOCK, nullptr,
                           &filter->db_->db, &error) != HS_SUCCESS) {
    hs_free_compile_error(error);
    return nullptr;
  }
  filter->id_ = next_database_id.fetch_add(1, std::memory_order_relaxed);
  return filter;
}

LiteralPrefilter::~LiteralPrefilter() = default;

namespace {

struct ScanContext {
  const uint32_t* lengths;
  size_t base;  // buffer offset of the scanned window's first byte
  bool (*accept)(void*, size_t);
  void* accept_context;
  bool found;
};

int OnMatch(unsigned int id, unsigned long long /*from*/, unsigned long long to,
            unsigned int /*flags*/, void* context) {
  auto* scan = static_cast<ScanContext*>(context);
  const size_t start = scan->base + static_cast<size_t>(to) - scan->lengths[id];
  if (!scan->accept(scan->accept_context, start)) return 0;
  scan->found = true;
  return 1;  // stop the scan
}

}  // namespace

bool LiteralPrefilter::FindImpl(const char* data, size_t begin, size_t end, AcceptFn accept,
                                void* context) const {
  ThreadScratch& local = tls_scratch;
  if (local.sized_for != id_) {
    if (hs_alloc_scratch(db_->db, &local.scratch) != HS_SUCCESS) throw std::bad_alloc();
    local.sized_for = id_;
  }
  ScanContext scan{lengths_.data(), begin, accept, context, false};
  // A scan takes at most UINT_MAX bytes; longer regions go in windows that overlap by a line.
  constexpr size_t kMaxWindow = UINT_MAX;
  while (begin < end) {
    const size_t window_end = end - begin > kMaxWindow ? begin + kMaxWindow : end;
    scan.base = begin;
    const hs_error_t status =
        hs_scan(db_->db, data + begin, static_cast<unsigned>(window_end - begin), 0,
                local.scratch, &OnMatch, &scan);
    if (scan.found) return true;
    if (status != HS_SUCCESS) throw std::bad_alloc();  // only scratch trouble fails a scan
    if (window_end == end) break;
    begin = window_end - (longest_ - 1);
  }
  return false;
}

}  // namespace quarnel
