// One scan from start to end: list every file below a folder, decide for each whether its text
// holds a signature line, record each hit in the results view and the hit log, then show the
// completion notice and open the log.
//
// Files are examined on every core, but everything the user sees happens on the thread that
// calls Run(), in list order: the results, the log and the progress reports come out exactly as
// from a scan that examines one file after another.
#ifndef QUARNEL_ENGINE_SCAN_JOB_H_
#define QUARNEL_ENGINE_SCAN_JOB_H_

#include <cstdint>
#include <memory>

#include "engine/front_end.h"
#include "engine/text.h"

namespace quarnel {

class SignatureMatcher;

struct ScanSettings {
  // Where hit records are appended; empty writes no log.
  Text log_path;
  // Optional; must outlive the job.
  ScanProgress* progress = nullptr;
  // Threads that examine files: 0 means one per core; 1 examines every file on the calling thread.
  unsigned threads = 0;
};

struct ScanStats {
  uint64_t files_listed = 0;
  uint64_t files_examined = 0;
  // Bytes read to decide: a file's reading stops at its first zero byte or first hit.
  uint64_t bytes_examined = 0;
  uint64_t hits = 0;
  uint64_t log_failures = 0;
};

class ScanJob {
 public:
  // folder is copied here, when the job is made: a later drop cannot change it.
  ScanJob(Text folder, ScanFrontEnd& front_end, ScanSettings settings);
  ~ScanJob();

  // Runs the whole job; returns when it is done. Calls the front end and the progress only on
  // the calling thread. Returns early, quietly, when the front end closes.
  void Run();

  // True when the file's text (its bytes before the first zero byte) holds one line of the
  // signature text, which is read anew, after the file. Calling thread only.
  bool FileHasSignature(const Text& path);

  // Adds "\r\n" + path to the results, then appends the same bytes to the log as one record.
  // Calling thread only.
  void RecordHit(const Text& path);

  const ScanStats& stats() const { return stats_; }

 private:
  struct Signatures;
  class Examination;

  // The matcher for the front end's current text; reads the text only when its revision moved
  // (always for the first file). Returns the same object while the text stays the same.
  std::shared_ptr<const Signatures> CurrentSignatures();

  const Text folder_;
  ScanFrontEnd& front_end_;
  const ScanSettings settings_;
  ScanStats stats_;
  std::shared_ptr<const Signatures> signatures_;
  uint64_t revision_ = 0;
};

// The signature-text line break; also the prefix of every hit line and log record.
inline constexpr std::string_view kLineBreak = "\r\n";

}  // namespace quarnel

#endif  // QUARNEL_ENGINE_SCAN_JOB_H_
