// One scan from start to end: list every file below a folder, decide for each whether its text
// holds a signature line, record each hit in the results view and the hit log, then show the
// completion notice and open the log.
#ifndef QUARNEL_ENGINE_SCAN_JOB_H_
#define QUARNEL_ENGINE_SCAN_JOB_H_

#include <cstdint>

#include "engine/front_end.h"
#include "engine/text.h"

namespace quarnel {

struct ScanSettings {
  // Where hit records are appended; empty writes no log.
  Text log_path;
  // Optional; must outlive the job.
  ScanProgress* progress = nullptr;
};

struct ScanStats {
  uint64_t files_listed = 0;
  uint64_t files_examined = 0;
  uint64_t bytes_examined = 0;
  uint64_t hits = 0;
  uint64_t log_failures = 0;
};

class ScanJob {
 public:
  // folder is copied here, when the job is made: a later drop cannot change it.
  ScanJob(Text folder, ScanFrontEnd& front_end, ScanSettings settings);

  // Runs the whole job on the calling thread. Returns early, quietly, when the front end closes.
  void Run();

  // True when the file's text (its bytes before the first zero byte) holds one line of the
  // signature text, which is read anew, after the file.
  bool FileHasSignature(const Text& path);

  // Adds "\r\n" + path to the results, then appends the same bytes to the log as one record.
  void RecordHit(const Text& path);

  const ScanStats& stats() const { return stats_; }

 private:
  const Text folder_;
  ScanFrontEnd& front_end_;
  const ScanSettings settings_;
  ScanStats stats_;
};

// The signature-text line break; also the prefix of every hit line and log record.
inline constexpr std::string_view kLineBreak = "\r\n";

}  // namespace quarnel

#endif  // QUARNEL_ENGINE_SCAN_JOB_H_
