#include "engine/scan_job.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "engine/enumerator.h"
#include "engine/matcher.h"
#include "engine/platform/platform.h"
#include "engine/platform/system_texts.h"

namespace quarnel {
namespace {

// Reads the file in chunks through stream until its text ends, a line is found or stop is set.
// A file that cannot be opened or read reads as empty: no hit. bytes gets what was read.
bool ExamineFile(const Text& path, bool known_regular, const SignatureMatcher& matcher,
                 MatchStream* stream, uint64_t* bytes, const std::atomic<bool>* stop) {
  *bytes = 0;
  if (matcher.never_matches()) return false;  // nothing to find: no need to read
  auto file = Platform::Default().OpenListedFile(path, known_regular);
  if (!file) return false;
  // Like a whole-file read, take the size once: bytes appended meanwhile are not part of it.
  uint64_t left = file->Size();
  stream->Begin(matcher);
  while (left > 0) {
    if (stop != nullptr && stop->load(std::memory_order_relaxed)) return false;
    const size_t want = static_cast<size_t>(std::min<uint64_t>(stream->ChunkSize(), left));
    const int64_t got = file->Read(stream->ChunkBuffer(), want);
    if (got < 0) return false;
    if (got == 0) break;  // shrank since it was opened: keep what was delivered
    *bytes += static_cast<uint64_t>(got);
    left -= static_cast<uint64_t>(got);
    const MatchStream::State state = stream->Push(static_cast<size_t>(got));
    if (state != MatchStream::State::kGoOn) return state == MatchStream::State::kHit;
  }
  return stream->End() == MatchStream::State::kHit;
}

// The last part of a path, after either separator (the log may be named either way on Windows).
std::string_view LastPart(std::string_view path) {
  const size_t cut = path.find_last_of("/\\");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

struct ScanJob::Signatures {
  Signatures(uint64_t generation_in, Text text_in)
      : generation(generation_in), text(std::move(text_in)), matcher(text) {}
  const uint64_t generation;
  const Text text;
  const SignatureMatcher matcher;
};

// Worker threads that examine the listed files ahead of the job's thread, which takes their
// results strictly in list order. A result carries the generation of the signature text it was
// found with; the job's thread examines a file again when its text has moved on since. Files that
// may be the hit log are held back for the job's thread, which examines them in their turn, when
// every earlier hit is in the log.
class ScanJob::Examination {
 public:
  struct Outcome {
    bool ready = false;      // a worker examined the file
    bool hit = false;
    uint64_t bytes = 0;
    uint64_t generation = 0;
  };

  Examination(const TextList& files, const std::vector<bool>& known_regular,
              std::string_view log_name, unsigned workers)
      : files_(files), known_regular_(known_regular), slots_(workers > 0 ? files.size() : 0) {
    if (workers == 0) return;
    for (size_t i = 0; i < files.size(); ++i) {
      // Matching by name alone is coarse but safe: any file so named merely waits its turn.
      if (!log_name.empty() && SameNameIgnoringCase(LastPart(files[i]), log_name)) {
        slots_[i].state.store(kHeldBack, std::memory_order_relaxed);
      }
    }
    workers_.reserve(workers);
    worker_count_ = workers;
  }

  ~Examination() {
    stop_.store(true);
    for (std::thread& t : workers_) t.join();
  }

  // Starts the workers with the first signature text. Job's thread only.
  void Start(std::shared_ptr<const Signatures> signatures) {
    Publish(std::move(signatures));
    try {
      for (unsigned i = 0; i < worker_count_; ++i) workers_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      // Fewer threads than asked: those that started share the work.
    }
    // None at all: the job's thread examines every file itself.
    if (workers_.empty()) slots_.clear();
  }

  // Files that a worker takes from now on are searched with these signatures.
  void Publish(std::shared_ptr<const Signatures> signatures) {
    std::lock_guard<std::mutex> hold(mutex_);
    generation_.store(signatures->generation, std::memory_order_release);
    current_ = std::move(signatures);
  }

  // Waits up to about timeout for file i. Not ready when it timed out, was held back, or no
  // worker runs: the caller examines the file itself then (held back, no worker) or asks again.
  Outcome Wait(size_t i, std::chrono::milliseconds timeout, bool* timed_out) {
    *timed_out = false;
    if (slots_.empty()) return Outcome{};
    const Slot& slot = slots_[i];
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      const uint8_t state = slot.state.load(std::memory_order_acquire);
      if (state == kHeldBack) return Outcome{};
      if (state == kDone) return Outcome{true, slot.hit, slot.bytes, slot.generation};
      if (std::chrono::steady_clock::now() >= deadline) {
        *timed_out = true;
        return Outcome{};
      }
      // Workers are usually well ahead; a short sleep costs less than a wake-up per file.
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

 private:
  enum : uint8_t { kPending = 0, kDone = 1, kHeldBack = 2 };
  struct Slot {
    std::atomic<uint8_t> state{kPending};
    bool hit = false;
    uint64_t bytes = 0;
    uint64_t generation = 0;
  };

  void Work() {
    MatchStream stream;
    std::shared_ptr<const Signatures> signatures;
    for (;;) {
      if (stop_.load(std::memory_order_relaxed)) return;
      const size_t i = next_.fetch_add(1, std::memory_order_relaxed);
      if (i >= files_.size()) return;
      Slot& slot = slots_[i];
      if (slot.state.load(std::memory_order_relaxed) == kHeldBack) continue;
      if (!signatures || generation_.load(std::memory_order_acquire) != signatures->generation) {
        std::lock_guard<std::mutex> hold(mutex_);
        signatures = current_;
      }
      slot.hit = ExamineFile(files_[i], known_regular_[i], signatures->matcher, &stream,
                             &slot.bytes, &stop_);
      slot.generation = signatures->generation;
      slot.state.store(kDone, std::memory_order_release);
    }
  }

  const TextList& files_;
  const std::vector<bool>& known_regular_;
  std::vector<Slot> slots_;
  std::vector<std::thread> workers_;
  unsigned worker_count_ = 0;
  std::atomic<size_t> next_{0};
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::shared_ptr<const Signatures> current_;
  std::atomic<uint64_t> generation_{0};
};

ScanJob::ScanJob(Text folder, ScanFrontEnd& front_end, ScanSettings settings)
    : folder_(std::move(folder)), front_end_(front_end), settings_(std::move(settings)) {}

ScanJob::~ScanJob() = default;

std::shared_ptr<const ScanJob::Signatures> ScanJob::CurrentSignatures() {
  const uint64_t revision = front_end_.SignatureRevision();
  if (signatures_ && revision == revision_) return signatures_;
  revision_ = revision;
  Text text = front_end_.ReadSignatureText();
  if (signatures_ && text == signatures_->text) return signatures_;
  const uint64_t generation = signatures_ ? signatures_->generation + 1 : 1;
  signatures_ = std::make_shared<const Signatures>(generation, std::move(text));
  return signatures_;
}

void ScanJob::Run() {
  TextList files;
  std::vector<bool> known_regular;
  ListEveryFile(folder_, &files, &known_regular, settings_.threads);
  stats_.files_listed = files.size();
  if (settings_.progress) settings_.progress->OnListed(files.size());

  if (!files.empty()) {
    unsigned threads = settings_.threads;
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    // One thread: this one examines every file itself, with no worker to hand over to.
    Examination examination(files, known_regular, LastPart(settings_.log_path),
                            threads > 1 ? threads : 0);
    MatchStream stream;
    // The text for the first file; each later file asks again when its turn comes.
    std::shared_ptr<const Signatures> signatures = CurrentSignatures();
    examination.Start(signatures);
    for (size_t i = 0; i < files.size(); ++i) {
      if (front_end_.IsClosed()) return;
      bool timed_out = true;
      Examination::Outcome outcome;
      while (timed_out) {
        outcome = examination.Wait(i, std::chrono::milliseconds(50), &timed_out);
        if (timed_out && front_end_.IsClosed()) return;
      }
      if (i > 0) {
        const uint64_t before = signatures->generation;
        signatures = CurrentSignatures();
        if (signatures->generation != before) examination.Publish(signatures);
      }
      if (!outcome.ready || outcome.generation != signatures->generation) {
        outcome.hit = ExamineFile(files[i], known_regular[i], signatures->matcher, &stream,
                                  &outcome.bytes, nullptr);
      }
      ++stats_.files_examined;
      stats_.bytes_examined += outcome.bytes;
      if (settings_.progress) settings_.progress->OnExamined(outcome.bytes);
      if (outcome.hit) RecordHit(files[i]);
    }
  }
  if (front_end_.IsClosed()) return;
  front_end_.ShowNotice(Text(kScanCompleteNotice));
  if (front_end_.IsClosed() || settings_.log_path.empty()) return;
  front_end_.OpenWithShell(settings_.log_path);
}

bool ScanJob::FileHasSignature(const Text& path) {
  const std::shared_ptr<const Signatures> signatures = CurrentSignatures();
  MatchStream stream;
  uint64_t bytes = 0;
  return ExamineFile(path, false, signatures->matcher, &stream, &bytes, nullptr);
}

void ScanJob::RecordHit(const Text& path) {
  const Text hit_line = ConcatText({kLineBreak, path});
  front_end_.AppendToResults(hit_line);
  ++stats_.hits;
  if (settings_.log_path.empty()) return;
  if (!Platform::Default().AppendRecord(settings_.log_path, TextToBytes(hit_line))) {
    ++stats_.log_failures;
    if (settings_.progress) settings_.progress->OnLogWriteFailed(settings_.log_path);
  }
}

}  // namespace quarnel
