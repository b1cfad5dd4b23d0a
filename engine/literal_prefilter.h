// Finds where any of a fixed set of byte strings occurs in a buffer, with Vectorscan's literal
// matcher: the candidate filter of the signature matcher for sets too large for its own SIMD
// filter. Builds without Vectorscan (the Windows edition) get a stand-in whose Create always
// fails, so that the caller keeps its own filter.
//
// A LiteralPrefilter is built once and then only read: any number of threads may share it. Each
// thread scans with scratch space of its own, made on its first scan.
#ifndef QUARNEL_ENGINE_LITERAL_PREFILTER_H_
#define QUARNEL_ENGINE_LITERAL_PREFILTER_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quarnel {

class LiteralPrefilter {
 public:
  // Null when Vectorscan is not in this build, does not run on this CPU, or rejects the set.
  // REQUIRES: every literal is non-empty.
  static std::unique_ptr<LiteralPrefilter> Create(const std::vector<std::string>& literals);

  ~LiteralPrefilter();
  LiteralPrefilter(const LiteralPrefilter&) = delete;
  LiteralPrefilter& operator=(const LiteralPrefilter&) = delete;

  // Calls accept(start) for every occurrence of a literal lying wholly inside data[begin, end),
  // roughly in ascending order (by end), until accept returns true; then returns true. Every
  // occurrence is offered, also overlapping ones of the same literal, so that one the caller
  // turns down hides no other. Throws std::bad_alloc when no scratch space can be had.
  template <class Accept>
  bool Find(const char* data, size_t begin, size_t end, Accept accept) const {
    return FindImpl(data, begin, end, &CallAccept<Accept>, &accept);
  }

 private:
  using AcceptFn = bool (*)(void* context, size_t start);

  template <class Accept>
  static bool CallAccept(void* context, size_t start) {
    return (*static_cast<Accept*>(context))(start);
  }

#ifdef QUARNEL_HAVE_VECTORSCAN
  LiteralPrefilter() = default;
  bool FindImpl(const char* data, size_t begin, size_t end, AcceptFn accept,
                void* context) const;

  struct Database;
  std::unique_ptr<Database> db_;
  std::vector<uint32_t> lengths_;  // by literal id
  size_t longest_ = 0;
  uint64_t id_ = 0;                // tells one thread's scratch which database it was sized for
#else
  bool FindImpl(const char*, size_t, size_t, AcceptFn, void*) const { return false; }
#endif
};

#ifndef QUARNEL_HAVE_VECTORSCAN
inline std::unique_ptr<LiteralPrefilter> LiteralPrefilter::Create(
    const std::vector<std::string>&) {
  return nullptr;
}
inline LiteralPrefilter::~LiteralPrefilter() = default;
#endif

}  // namespace quarnel

#endif  // QUARNEL_ENGINE_LITERAL_PREFILTER_H_
